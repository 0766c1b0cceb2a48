#include "platform/vtwin/gdi_rows_file.h"

#include <algorithm>
#include <cstdio>

namespace vtwin {

void GdiRowsFile::Open(int rows, int columns) {
    path_[0] = '\0';
    text_.clear();
    DWORD length = GetEnvironmentVariableA(kVariable, path_, sizeof path_);
    if (length == 0 || length >= sizeof path_) {
        path_[0] = '\0';
        return;
    }
    std::snprintf(partPath_, sizeof partPath_, "%s.part", path_);
    text_.assign(static_cast<size_t>(rows) * (static_cast<size_t>(columns) + 1), ' ');
}

void GdiRowsFile::Write(const ScreenImage& image) {
    if (path_[0] == '\0') return;
    size_t used = 0;
    for (const std::string& row : image.text) {
        if (used + row.size() + 1 > text_.size()) break;
        used = static_cast<size_t>(std::copy(row.begin(), row.end(), text_.begin() + used) -
                                   text_.begin());
        text_[used++] = '\n';
    }
    HANDLE file = CreateFileA(partPath_, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    BOOL whole = WriteFile(file, text_.data(), static_cast<DWORD>(used), &written, nullptr) &&
                 written == used;
    CloseHandle(file);
    if (whole) MoveFileExA(partPath_, path_, MOVEFILE_REPLACE_EXISTING);
}

}  // namespace vtwin
