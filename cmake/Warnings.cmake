# Compiler warnings for every target of this tree. The UNO, Qt and GoogleTest
# headers come in as system includes, so only our own code is held to them.
# Warnings stop the build when REPORTMERGE_WERROR is on, which it is by
# default when the environment variable CI is set.
if(DEFINED ENV{CI} AND NOT "$ENV{CI}" STREQUAL "" AND NOT "$ENV{CI}" STREQUAL "0"
   AND NOT "$ENV{CI}" STREQUAL "false")
  set(reportmerge_werror_default ON)
else()
  set(reportmerge_werror_default OFF)
endif()
option(REPORTMERGE_WERROR "Treat compiler warnings as errors" ${reportmerge_werror_default})

add_compile_options(-Wall -Wextra -Wnon-virtual-dtor -Wold-style-cast)
if(REPORTMERGE_WERROR)
  add_compile_options(-Werror)
endif()
