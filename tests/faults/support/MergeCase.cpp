#include "support/MergeCase.h"

#include "XlsFiles.h"

#include "engine/Error.h"
#include "engine/MergeRun.h"

#include <chrono>
#include <cxxabi.h>
#include <typeinfo>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace rm::faults {

namespace {

std::string number(double value)
{
    std::ostringstream text;
    text.precision(17);
    text << value;
    return text.str();
}

} // namespace

void makeTemplate(const std::string& path)
{
    makeXls(path, R"({"sheets": [{"name": "Report", "cells": {
        "A1": "Item", "A2": "north", "B2": "?", "A3": "south", "B3": "?",
        "A4": "Total", "B4": {"formula": "B2+B3"}}}]})");
}

void makeSource(const std::string& path, double b2, double b3)
{
    makeXls(path, R"({"sheets": [{"name": "Data", "cells": {"A1": "Item", "A2": "north", "A3": "south",
        "A4": "Total", "B2": )" + number(b2) + R"(, "B3": )" + number(b3) + "}}]}");
}

Outcome mergeWith(SpreadsheetBinding& binding, const std::string& templatePath,
                  const std::vector<std::string>& sources, const std::string& output, ProgressIndicator* progress)
{
    QuietProgress quiet;
    Outcome outcome;
    const auto start = std::chrono::steady_clock::now();
    try {
        runMerge(binding, templatePath, sources, output, progress ? *progress : quiet);
    } catch (const Error& error) {
        outcome.number = error.number();
        outcome.description = error.description();
    } catch (...) {
        // Anything but an rm::Error is a fault of its own: name it for the report.
        const std::type_info* type = abi::__cxa_current_exception_type();
        outcome.number = kNotAnError;
        outcome.description = std::string("not an rm::Error: ") + (type ? type->name() : "?");
    }
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

Snapshot snapshot(const std::vector<std::string>& paths)
{
    Snapshot bytes;
    for (const auto& path : paths) {
        if (!std::filesystem::is_regular_file(path)) {
            bytes[path] = "<missing>";
            continue;
        }
        std::ifstream in(path, std::ios::binary);
        bytes[path] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return bytes;
}

std::vector<std::string> changedSince(const Snapshot& before)
{
    std::vector<std::string> changed;
    for (const auto& [path, bytes] : before)
        if (snapshot({path}).at(path) != bytes)
            changed.push_back(path);
    return changed;
}

double numberIn(const std::string& xlsPath, const std::string& cell)
{
    const std::string value = readXls(xlsPath).cell(cell);
    if (value.rfind("n:", 0) != 0)
        return std::nan("");
    return std::strtod(value.c_str() + 2, nullptr);   // keeps subnormals, unlike stod
}

} // namespace rm::faults
