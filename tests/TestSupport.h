#pragma once

// Small file helpers shared by the test programs.

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// The folder of the running test exe (in the build tree).
std::wstring exeFolder();
// The build tree's root: the exe's folder's parent.
std::wstring buildFolder();
// A new empty folder under the temporary folder.
std::wstring makeTempFolder(const std::wstring& name);
void removeTree(const std::wstring& folder);
bool writeFile(const std::wstring& path, const std::string& bytes);
std::string readFile(const std::wstring& path);
bool fileExists(const std::wstring& path);
// Names in `folder` that match `pattern` (such as L"pwjob*.bat").
std::vector<std::wstring> findFiles(const std::wstring& folder, const std::wstring& pattern);
std::string narrow(const std::wstring& text);

} // namespace testsupport
