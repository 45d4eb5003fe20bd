#include "EngineFixture.h"

using namespace testsupport;

std::wstring EngineFixture::realTool() { return buildFolder() + L"\\app\\core\\zentrak.exe"; }

std::wstring EngineFixture::fakeTool() { return exeFolder() + L"\\faketool.exe"; }

void EngineFixture::SetUp() {
    ASSERT_TRUE(fileExists(realTool())) << "the set-up installs the tool";
    outFolder = makeTempFolder(L"out");
    engine.toolPath = realTool();
    engine.outputFolder = outFolder;
    engine.outputExtension = L"avi";
    engine.presetArguments = L"-vcodec wmv2 -acodec wmav2 -b:v 1000k -b:a 160k -r 25";
}

void EngineFixture::TearDown() {
    ASSERT_TRUE(engine.waitForWorker(30000));
    for (const auto& [path, bytes] : sourceBytes_)
        EXPECT_TRUE(readFile(path) == bytes) << "source changed: " << narrow(path);
    for (const std::wstring& name : leftoverRunFiles())
        ADD_FAILURE() << "left behind: " << narrow(name);
    removeTree(outFolder);
}

std::wstring EngineFixture::source(const std::wstring& path) {
    sourceBytes_[path] = readFile(path);
    return path;
}

std::wstring EngineFixture::media(const wchar_t* name) const {
    return buildFolder() + L"\\media\\" + name;
}

bool EngineFixture::runToEnd(DWORD milliseconds) {
    return engine.start() && engine.waitForWorker(milliseconds);
}

void EngineFixture::useFakeTool(const std::wstring& mode) {
    engine.toolPath = fakeTool();
    engine.presetArguments = mode;
}

std::vector<std::wstring> leftoverRunFiles() {
    std::wstring data = appDataFolder();
    std::vector<std::wstring> found;
    for (const std::wstring& name : findFiles(data + L"\\Pellwick", L"pwjob*.bat"))
        found.push_back(name);
    for (const std::wstring& name : findFiles(data, L"zentrak*.txt"))
        found.push_back(name);
    return found;
}
