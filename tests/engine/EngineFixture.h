#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "../TestSupport.h"
#include "ConvertCore.h"

// An engine with a fresh output folder. After each test, whatever happened:
// the sources it named are unchanged and no script or probe log is left.
class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A source: remembered with its bytes so that TearDown can compare them.
    std::wstring source(const std::wstring& path);
    std::wstring media(const wchar_t* name) const;
    // Runs the queued jobs to their end; false when the worker did not end in time.
    bool runToEnd(DWORD milliseconds = 120000);
    void useFakeTool(const std::wstring& mode);

    static std::wstring realTool();
    static std::wstring fakeTool();

    ConvertCore engine;
    std::wstring outFolder;

private:
    std::map<std::wstring, std::string> sourceBytes_;
};

// Leftover scripts and probe logs of this program in the application-data folder.
std::vector<std::wstring> leftoverRunFiles();
