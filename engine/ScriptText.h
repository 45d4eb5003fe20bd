#pragma once

// Text of the batch scripts that run the tool. No Windows headers here: the
// exact bytes are checked by unit tests.

#include <string>
#include <vector>

// A value handed to the script through the child's environment, for text that
// the command interpreter would not read back unchanged from the script file.
struct ScriptVariable {
    std::wstring name;
    std::wstring value;
};
using ScriptVariables = std::vector<ScriptVariable>;

struct JobScriptFields {
    std::wstring toolPath;
    std::wstring sourcePath;
    bool conversion = false; // false: the probe script, which only describes the source
    std::wstring arguments;  // conversion only
    std::wstring outputPath; // conversion only
    std::wstring scriptPath; // the script's own path, for its closing del line
};

// The script file's bytes: UTF-8, CR LF line ends, no line end after the del
// line. Each text is written with its percent signs doubled so the interpreter
// passes it on as it is; a text with characters outside ASCII is written as a
// reference to an environment variable instead, added to `variables` (which is
// cleared first).
std::string formatJobScript(long codePage, const JobScriptFields& fields,
                            ScriptVariables& variables);

// A Unicode environment block: the parent's entries (a block of zero-terminated
// entries ending in an empty one) less any entry named like one of
// `variables`, then `variables`. Ends with two zeros.
std::wstring buildEnvironmentBlock(const wchar_t* parentBlock, const ScriptVariables& variables);

std::wstring doublePercentSigns(const std::wstring& text);
