#include "ScriptText.h"

#include "TextEncoding.h"

namespace {

// Gives the text as the script line must hold it.
std::wstring scriptText(const std::wstring& value, const wchar_t* variableName,
                        ScriptVariables& variables) {
    if (isAscii(value))
        return doublePercentSigns(value);
    // The interpreter decodes script lines in a code page (and under some
    // emulators always in the OEM one), so a name outside ASCII would not
    // survive; an expanded environment variable keeps its UTF-16 text. The
    // percent signs stay in the script, doubled: some interpreters expand a
    // variable's value a second time.
    std::wstring text;
    size_t begin = 0;
    int pieces = 0;
    for (;;) {
        size_t percent = value.find(L'%', begin);
        std::wstring piece = value.substr(begin, percent == std::wstring::npos
                                                     ? std::wstring::npos
                                                     : percent - begin);
        if (isAscii(piece)) {
            text += piece;
        } else {
            std::wstring name = variableName;
            if (++pieces > 1)
                name += L"_" + std::to_wstring(pieces);
            variables.push_back({name, piece});
            text += L"%" + name + L"%";
        }
        if (percent == std::wstring::npos)
            return text;
        text += L"%%";
        begin = percent + 1;
    }
}

bool sameNameIgnoringAsciiCase(const wchar_t* entry, size_t length, const std::wstring& name) {
    if (length != name.size())
        return false;
    for (size_t i = 0; i < length; ++i) {
        wchar_t a = entry[i], b = name[i];
        if (a >= L'a' && a <= L'z')
            a = static_cast<wchar_t>(a - L'a' + L'A');
        if (b >= L'a' && b <= L'z')
            b = static_cast<wchar_t>(b - L'a' + L'A');
        if (a != b)
            return false;
    }
    return true;
}

} // namespace

std::wstring doublePercentSigns(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        out += c;
        if (c == L'%')
            out += L'%';
    }
    return out;
}

std::string formatJobScript(long codePage, const JobScriptFields& fields,
                            ScriptVariables& variables) {
    variables.clear();
    std::wstring text = L"chcp " + std::to_wstring(codePage) + L"\n\n";
    text += L"\"" + scriptText(fields.toolPath, L"PWJOB_TOOL", variables) + L"\"";
    if (fields.conversion) {
        text += L" -y -i \"" + scriptText(fields.sourcePath, L"PWJOB_SOURCE", variables) + L"\"";
        text += L" " + scriptText(fields.arguments, L"PWJOB_ARGS", variables);
        text += L" \"" + scriptText(fields.outputPath, L"PWJOB_OUTPUT", variables) + L"\"";
    } else {
        text += L" -i \"" + scriptText(fields.sourcePath, L"PWJOB_SOURCE", variables) + L"\"";
    }
    text += L"\n\ndel \"" + scriptText(fields.scriptPath, L"PWJOB_SCRIPT", variables) + L"\"";

    std::string bytes;
    for (char c : utf16ToUtf8(text)) {
        if (c == '\n')
            bytes += '\r';
        bytes += c;
    }
    return bytes;
}

std::wstring buildEnvironmentBlock(const wchar_t* parentBlock, const ScriptVariables& variables) {
    std::wstring block;
    for (const wchar_t* entry = parentBlock; entry && *entry;) {
        std::wstring text(entry);
        entry += text.size() + 1;
        // Entries such as "=C:=C:\dir" start with '=': their name runs to the
        // second '='.
        size_t nameEnd = text.find(L'=', 1);
        bool replaced = false;
        for (const ScriptVariable& v : variables)
            replaced = replaced || (nameEnd != std::wstring::npos &&
                                    sameNameIgnoringAsciiCase(text.c_str(), nameEnd, v.name));
        if (!replaced) {
            block += text;
            block += L'\0';
        }
    }
    for (const ScriptVariable& v : variables) {
        block += v.name + L"=" + v.value;
        block += L'\0';
    }
    block += L'\0';
    if (block.size() == 1)
        block += L'\0'; // an empty block still needs its two zeros
    return block;
}
