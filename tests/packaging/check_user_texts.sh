#!/bin/bash
# Texts for the user are written in the catalogs only: engine/ErrorTexts.*
# (errors and their words), engine/check/LayoutFindings.cpp (the check
# before saving), engine/progress/StageText.cpp (the stages of a run, as the
# window and the command line show them), app/cli/CliTexts.* (the command
# line) and ui/WindowTexts.h (the window and its dialogs);
# ui/ChineseTranslation.cpp holds the translations of Qt's own texts. Any
# other engine, window or program source with a Chinese string literal fails
# this test.
set -u
source_dir="$1"
cd "$source_dir" || exit 2

catalogs='engine/ErrorTexts\.(h|cpp)|engine/check/LayoutFindings\.cpp|engine/progress/StageText\.cpp|app/cli/CliTexts\.(h|cpp)|ui/WindowTexts\.h|ui/ChineseTranslation\.cpp'
# The in-memory binding stands in for the office in tests; its words reach no user.
test_only='engine/memory/[^:]*'

# Bytes, not characters: the C locale exists everywhere. A CJK ideograph is
# E4..E9 followed by two continuation bytes in UTF-8. Comments are left out.
found=$(LC_ALL=C grep -rnP '"[^"\n]*[\xe4-\xe9][\x80-\xbf]{2}' engine app ui --include='*.cpp' --include='*.h' |
        LC_ALL=C grep -vP '^[^:]+:[0-9]+:\s*//' |
        LC_ALL=C sed 's#[[:space:]]//[[:space:]].*##' |
        LC_ALL=C grep -P '"[^"\n]*[\xe4-\xe9][\x80-\xbf]{2}' |
        LC_ALL=C grep -vE "^(${catalogs}|${test_only}):")
if [ -n "$found" ]; then
    echo "texts for the user written outside the catalogs:"
    echo "$found"
    exit 1
fi
echo "every text for the user is in a catalog"
