#pragma once
// The companion Store app's side of its LocalState folder, as the app would
// do it: its package folder appearing and going, "App.Info" and
// "Command.Info" written (also in two halves), "Session.info" read.
#include <string>
#include <vector>

namespace tapdeck::sim {

// The family name of the installed profile's first entry; empty without one.
std::wstring InstalledCompanionFamily();

std::wstring CompanionPackageFolder(const std::wstring& family);
std::wstring CompanionLocalState(const std::wstring& family);

// Deletes a folder with everything in it (tests use it for their own
// folders). False while something is left: a file another thread still
// holds open goes only when it is closed, and its folder stays.
bool RemoveTree(const std::wstring& folder);

enum class CompanionFolders { Absent, PackageOnly, LocalState };
bool SetCompanionFolders(const std::wstring& family, CompanionFolders state);

struct CompanionCommand {
    std::wstring name;
    std::vector<std::wstring> values;
};

std::string AppInfoXml(const std::wstring& sessionId);
std::string CommandInfoXml(const std::vector<CompanionCommand>& commands);

// Writes one file into LocalState. partial: the first half, a pause, then
// the rest, through one handle, as a slow writer would.
bool WriteCompanionFile(const std::wstring& family, const std::wstring& name, const std::string& bytes,
                        bool partial = false);
// Writes one file whole and keeps it open holdMs longer, sharing reading
// only, as the common file APIs do by default: meanwhile nobody else may
// write, rename or delete it.
bool WriteCompanionFileHeld(const std::wstring& family, const std::wstring& name, const std::string& bytes,
                            unsigned long holdMs);
// The file's bytes; false when it is missing.
bool ReadCompanionFile(const std::wstring& family, const std::wstring& name, std::string& bytes);
bool DeleteCompanionFile(const std::wstring& family, const std::wstring& name);

}  // namespace tapdeck::sim
