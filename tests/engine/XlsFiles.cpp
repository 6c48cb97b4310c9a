#include "XlsFiles.h"

#include "TempFolder.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

std::string shellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

CommandResult runCommand(const std::string& command)
{
    TempFolder capture;
    const std::string full = command + " >" + shellQuote(capture / "out") + " 2>" + shellQuote(capture / "err");
    const int status = std::system(full.c_str());
    CommandResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readBytes(capture / "out");
    result.err = readBytes(capture / "err");
    return result;
}

void makeXls(const std::string& path, const std::string& json)
{
    TempFolder scratch;
    writeBytes(scratch / "book.json", json);
    const CommandResult result = runCommand(std::string(RM_PYTHON3) + " " + RM_TOOLS_DIR "/make_xls.py " +
                                            shellQuote(scratch / "book.json") + " " + shellQuote(path));
    if (result.exitCode != 0)
        throw std::runtime_error("make_xls.py failed: " + result.err);
}

XlsContent readXls(const std::string& path)
{
    const CommandResult result = runCommand(std::string(RM_PYTHON3) + " " + RM_TOOLS_DIR "/read_xls.py " + shellQuote(path));
    if (result.exitCode != 0)
        throw std::runtime_error("read_xls.py failed: " + result.err);
    XlsContent content;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, '\t');)
            fields.push_back(field);
        if (fields.size() == 2 && fields[0] == "active")
            content.activeSheet = std::stoi(fields[1]);
        else if (fields.size() == 3 && fields[0] == "zeros")
            content.zerosShown[fields[1]] = fields[2] == "1";
        else if (fields.size() >= 4 && fields[0] == "cell")
            content.cells[fields[1] + "!" + fields[2]] = fields[3] + ":" + (fields.size() > 4 ? fields[4] : "");
    }
    return content;
}
