cmake_minimum_required(VERSION 3.21)
# Compiles help.chm from the UTF-8 sources in SOURCE_DIR, working in STAGE_DIR.
# Help viewers read the table of contents and the project title in the code
# page of the help file's language (0x804: GB2312/GBK), so those two files are
# transcoded. The index stays UTF-8: chmcmd reads it as UTF-8 when it writes
# the binary index. The pages keep UTF-8 and declare it.
#   -DSOURCE_DIR= -DSTAGE_DIR= -DCHMCMD= -DICONV= -DOUTPUT= -DFILES=a,b,...

string(REPLACE "," ";" FILES "${FILES}")
file(REMOVE_RECURSE "${STAGE_DIR}")
file(MAKE_DIRECTORY "${STAGE_DIR}")

foreach(name IN LISTS FILES)
  if(name MATCHES "\\.(hhp|hhc)$")
    file(READ "${SOURCE_DIR}/${name}" text)
    string(REPLACE "charset=utf-8" "charset=gb2312" text "${text}")
    file(WRITE "${STAGE_DIR}/${name}.utf8" "${text}")
    execute_process(
      COMMAND "${ICONV}" -f UTF-8 -t GB18030 "${STAGE_DIR}/${name}.utf8"
      OUTPUT_FILE "${STAGE_DIR}/${name}"
      RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "iconv could not transcode ${name}")
    endif()
    file(REMOVE "${STAGE_DIR}/${name}.utf8")
  else()
    file(COPY "${SOURCE_DIR}/${name}" DESTINATION "${STAGE_DIR}")
  endif()
endforeach()

execute_process(
  COMMAND "${CHMCMD}" help.hhp
  WORKING_DIRECTORY "${STAGE_DIR}"
  RESULT_VARIABLE result
  OUTPUT_VARIABLE log
  ERROR_VARIABLE log)
if(NOT result EQUAL 0 OR NOT EXISTS "${STAGE_DIR}/help.chm")
  message(FATAL_ERROR "chmcmd failed:\n${log}")
endif()
# A link to a page that is not there is only a warning to chmcmd.
if(log MATCHES "Warning:")
  message(FATAL_ERROR "chmcmd reported problems:\n${log}")
endif()
file(COPY_FILE "${STAGE_DIR}/help.chm" "${OUTPUT}" ONLY_IF_DIFFERENT)
