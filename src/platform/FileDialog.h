// Every file open/save dialog goes through here, so tests can give the next file name.
#pragma once

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace vxt {

// Filters are given as "Description (*.ext)|*.ext|..." pairs; the first one is the default.
std::optional<std::string> GetOpenFileName(QWidget *parent, const std::string &title, const std::string &filter,
                                           const std::string &initialName = std::string());
// Several files at once; an empty list when cancelled.
std::vector<std::string> GetOpenFileNames(QWidget *parent, const std::string &title, const std::string &filter);
// Asks before overwriting an existing file.
std::optional<std::string> GetSaveFileName(QWidget *parent, const std::string &title, const std::string &filter,
                                           const std::string &initialName = std::string(),
                                           const std::string &defaultExt = std::string());

// Test seam: the next dialog returns this instead of showing (std::nullopt: as if cancelled).
void SetNextFileName(std::optional<std::string> name);
// The same for the next multi-file dialog (an empty list: as if cancelled).
void SetNextFileNames(std::vector<std::string> names);
void ClearNextFileName();

}  // namespace vxt
