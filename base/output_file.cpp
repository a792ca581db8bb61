#include "base/output_file.h"

bool OutputFile::write(const void* data, size_t size) noexcept {
    if (!handle_) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const size_t written = writeSome(p, size);
        if (written == 0) return false;
        p += written;
        size -= written;
    }
    return true;
}

bool OutputFile::close() noexcept {
    if (!handle_) return true;
    return closeHandle(std::exchange(handle_, nullptr));
}

namespace {
// The folder part of `path` with its separator; empty for a bare name.
std::wstring folderOf(const wchar_t* path) {
    std::wstring folder(path);
    const size_t slash = folder.find_last_of(L"\\/");
    folder.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return folder;
}
}  // namespace

bool ReplacingFile::create(const wchar_t* target) noexcept {
    discard();
    if (!target || !*target) return false;
    temporary_ = makeTemporary(folderOf(target));
    if (temporary_.empty()) return false;
    if (!file_.create(temporary_.c_str())) {
        discard();
        return false;
    }
    target_ = target;
    return true;
}

bool ReplacingFile::commit() noexcept {
    if (!file_ || !file_.flush() || !file_.close() || !moveOver(temporary_, target_)) {
        discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void ReplacingFile::discard() noexcept {
    (void)file_.close();
    if (!temporary_.empty()) remove(temporary_);
    temporary_.clear();
}
