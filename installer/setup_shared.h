#pragma once
// What the installer and the uninstaller agree on: where the product lives,
// the keys they write, and how they drive the installed agent.
#include <windows.h>
#include <string>

namespace tapdeck::setup {

constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tapdeck";
constexpr wchar_t kVendorKey[] = L"SOFTWARE\\Vexa Corporation";
constexpr wchar_t kNfcdbKey[] = L"SOFTWARE\\Vexa Corporation\\Tapdeck\\NFCDB";
constexpr wchar_t kPairwellRegistration[] = L"SOFTWARE\\Vexa Corporation\\Tapdeck\\NFCDB\\Pairwell";
// The camera's first record is the MIME type "application/x-vexa-kox".
constexpr wchar_t kCameraMessageType[] = L"NDEF:MIME.application/x-vexa-kox";
constexpr wchar_t kUninstallerName[] = L"Uninstall.exe";
constexpr wchar_t kProductVersion[] = L"1.0.0.14100";

// Values of the uninstall key besides the Add/Remove Programs ones.
constexpr wchar_t kValueFiles[] = L"InstalledFiles";          // REG_MULTI_SZ, relative paths
constexpr wchar_t kValueMadeVendorDir[] = L"CreatedVendorFolder";  // DWORD: "<Program Files>\Vexa" is ours
constexpr wchar_t kValueMadeTaskFolder[] = L"CreatedTaskFolder";   // DWORD: task folder "\Vexa Corporation" is ours

std::wstring ProgramFilesDir();
// "<Program Files>\Vexa"
std::wstring VendorDir();
// "<Program Files>\Vexa\Tapdeck"
std::wstring InstallDir();
std::wstring OwnPath();

bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);

// Runs a program with arguments to its end (at most the timeout).
bool RunAndWait(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs);
bool StartDetached(const std::wstring& program, const std::wstring& arguments);

// Stops every running agent and Pairwell and waits until the agent is gone.
void HaltProduct(const std::wstring& installDir);

// Whether the scheduler has the task folder "\Vexa Corporation".
bool TaskFolderExists();
// Deletes the task folder "\Vexa Corporation" when it holds nothing.
void DeleteEmptyTaskFolder();

// Deletes a key, then its parents up to (and including) the last one given,
// each only while it has neither subkeys nor values.
void DeleteEmptyKeys(const std::wstring& key, const std::wstring& stopAfter);

}  // namespace tapdeck::setup
