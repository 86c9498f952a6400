#include "extracted_files.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsRegularFile(const struct wimlib_dir_entry& entry) {
    return !(entry.attributes & (WIMLIB_FILE_ATTRIBUTE_DIRECTORY | WIMLIB_FILE_ATTRIBUTE_REPARSE_POINT));
}

}  // namespace

void QxExtractedFiles::Note(const struct wimlib_dir_entry& entry, const CString& winPath) {
    if (!IsRegularFile(entry) || !entry.full_path) return;
    std::string hostPath = m_target + entry.full_path;
    struct stat st;
    if (lstat(hostPath.c_str(), &st) == 0) return;
    const wimlib_timespec& time = entry.last_write_time;
    const int64_t seconds = static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(entry.last_write_time_high))
                                                  << 32) |
                                                 static_cast<uint32_t>(time.tv_sec));
    m_files.push_back({std::move(hostPath), winPath, entry.streams[0].resource.uncompressed_size, seconds,
                       static_cast<int32_t>(time.tv_nsec)});
}

void QxExtractedFiles::RemoveUnfinished(const std::function<void(const CString&)>& removed) const {
    for (const File& file : m_files) {
        struct stat st;
        if (lstat(file.hostPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        const bool finished = static_cast<uint64_t>(st.st_size) == file.size && st.st_mtim.tv_sec == file.seconds &&
                              st.st_mtim.tv_nsec == file.nanoseconds;
        if (!finished && unlink(file.hostPath.c_str()) == 0) removed(file.winPath);
    }
}
