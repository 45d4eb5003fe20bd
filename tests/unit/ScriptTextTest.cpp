#include <gtest/gtest.h>

#include "ScriptText.h"
#include "TextEncoding.h"

namespace {

JobScriptFields probe(const std::wstring& source) {
    JobScriptFields f;
    f.toolPath = L"C:\\app\\core\\zentrak.exe";
    f.sourcePath = source;
    f.scriptPath = L"C:\\Data\\Pellwick\\pwjob912.bat";
    return f;
}

JobScriptFields conversion(const std::wstring& source, const std::wstring& output,
                           const std::wstring& arguments = L"-vcodec wmv2 -r 25") {
    JobScriptFields f = probe(source);
    f.conversion = true;
    f.arguments = arguments;
    f.outputPath = output;
    return f;
}

TEST(JobScript, ProbeScriptBytes) {
    ScriptVariables vars;
    EXPECT_EQ(formatJobScript(1252, probe(L"D:\\v\\a.mkv"), vars),
              "chcp 1252\r\n\r\n\"C:\\app\\core\\zentrak.exe\" -i \"D:\\v\\a.mkv\"\r\n\r\n"
              "del \"C:\\Data\\Pellwick\\pwjob912.bat\"");
    EXPECT_TRUE(vars.empty());
}

TEST(JobScript, ConversionScriptBytes) {
    ScriptVariables vars;
    struct {
        JobScriptFields fields;
        std::string line3;
    } cases[] = {
        {conversion(L"D:\\v\\a.mkv", L"E:\\out\\a.avi"),
         "\"C:\\app\\core\\zentrak.exe\" -y -i \"D:\\v\\a.mkv\" -vcodec wmv2 -r 25 \"E:\\out\\a.avi\""},
        // Empty arguments leave two blanks between the paths.
        {conversion(L"D:\\v\\a.mkv", L"E:\\a.avi", L""),
         "\"C:\\app\\core\\zentrak.exe\" -y -i \"D:\\v\\a.mkv\"  \"E:\\a.avi\""},
        // Percent signs are doubled so that the interpreter expands nothing.
        {conversion(L"D:\\v\\100% done.mkv", L"E:\\%PATH%.avi"),
         "\"C:\\app\\core\\zentrak.exe\" -y -i \"D:\\v\\100%% done.mkv\" -vcodec wmv2 -r 25 "
         "\"E:\\%%PATH%%.avi\""},
        // What the interpreter keeps literal inside quotes is written as it is.
        {conversion(L"D:\\v\\a&b^c!(d) 'e';f,g=h.mkv", L"E:\\-x..y.avi"),
         "\"C:\\app\\core\\zentrak.exe\" -y -i \"D:\\v\\a&b^c!(d) 'e';f,g=h.mkv\" -vcodec wmv2 "
         "-r 25 \"E:\\-x..y.avi\""},
    };
    for (const auto& c : cases) {
        std::string bytes = formatJobScript(1252, c.fields, vars);
        EXPECT_EQ(bytes, "chcp 1252\r\n\r\n" + c.line3 +
                             "\r\n\r\ndel \"C:\\Data\\Pellwick\\pwjob912.bat\"");
        EXPECT_TRUE(vars.empty());
    }
}

TEST(JobScript, PercentInToolAndScriptPathsIsDoubledToo) {
    JobScriptFields f = probe(L"D:\\a.mkv");
    f.toolPath = L"C:\\100%\\zentrak.exe";
    f.scriptPath = L"C:\\%APPDATA%\\pwjob1.bat";
    ScriptVariables vars;
    EXPECT_EQ(formatJobScript(437, f, vars),
              "chcp 437\r\n\r\n\"C:\\100%%\\zentrak.exe\" -i \"D:\\a.mkv\"\r\n\r\n"
              "del \"C:\\%%APPDATA%%\\pwjob1.bat\"");
}

TEST(JobScript, NamesOutsideAsciiTravelInTheEnvironment) {
    const std::wstring source = L"D:\\vid\u00e9os\\\u65e5\u672c \U0001F3AC.mkv";
    const std::wstring output = L"E:\\\u00f1\\\u65e5\u672c \U0001F3AC.avi";
    JobScriptFields f = conversion(source, output);
    f.scriptPath = L"C:\\Users\\J\u00fcrgen\\Pellwick\\pwjob5.bat";
    ScriptVariables vars;
    std::string bytes = formatJobScript(1252, f, vars);
    EXPECT_EQ(bytes, "chcp 1252\r\n\r\n\"C:\\app\\core\\zentrak.exe\" -y -i \"%PWJOB_SOURCE%\" "
                     "-vcodec wmv2 -r 25 \"%PWJOB_OUTPUT%\"\r\n\r\ndel \"%PWJOB_SCRIPT%\"");
    ASSERT_EQ(vars.size(), 3u);
    EXPECT_EQ(vars[0].name, L"PWJOB_SOURCE");
    EXPECT_EQ(vars[0].value, source);
    EXPECT_EQ(vars[1].name, L"PWJOB_OUTPUT");
    EXPECT_EQ(vars[1].value, output);
    EXPECT_EQ(vars[2].name, L"PWJOB_SCRIPT");
    EXPECT_EQ(vars[2].value, f.scriptPath);
    // Percent signs stay in the script, doubled, and never reach a variable.
    f = probe(L"D:\\\u65e5\\100% \u00e9%PATH%.mkv");
    EXPECT_EQ(formatJobScript(1252, f, vars),
              "chcp 1252\r\n\r\n\"C:\\app\\core\\zentrak.exe\" -i "
              "\"%PWJOB_SOURCE%%%%PWJOB_SOURCE_2%%%PATH%%.mkv\"\r\n\r\n"
              "del \"C:\\Data\\Pellwick\\pwjob912.bat\"");
    ASSERT_EQ(vars.size(), 2u);
    EXPECT_EQ(vars[0].value, L"D:\\\u65e5\\100");
    EXPECT_EQ(vars[1].name, L"PWJOB_SOURCE_2");
    EXPECT_EQ(vars[1].value, L" \u00e9");
}

TEST(TextEncoding, Utf8OfSurrogatePairsAndLoneSurrogates) {
    EXPECT_EQ(utf16ToUtf8(L"a\u00e9\u65e5"), "a\xC3\xA9\xE6\x97\xA5");
    EXPECT_EQ(utf16ToUtf8(L"\U0001F3AC"), "\xF0\x9F\x8E\xAC");
    std::wstring lone(1, static_cast<wchar_t>(0xD83C));
    EXPECT_EQ(utf16ToUtf8(lone + L"x"), "\xEF\xBF\xBDx");
}

TEST(EnvironmentBlock, ReplacesSameNamedEntriesAndAppends) {
    const wchar_t parent[] = L"=C:=C:\\x\0Path=C:\\w\0pwjob_source=old\0TEMP=C:\\t\0";
    ScriptVariables vars = {{L"PWJOB_SOURCE", L"D:\\\u65e5.mkv"}};
    std::wstring block = buildEnvironmentBlock(parent, vars);
    const wchar_t expected[] = L"=C:=C:\\x\0Path=C:\\w\0TEMP=C:\\t\0PWJOB_SOURCE=D:\\\u65e5.mkv\0";
    EXPECT_EQ(block, std::wstring(expected, sizeof expected / sizeof expected[0]));
    EXPECT_EQ(buildEnvironmentBlock(nullptr, {}), std::wstring(2, L'\0'));
}

} // namespace
