#include "FileSize.h"

#include <QFile>
#include <sys/stat.h>

bool QueryFileSize(const QString& path, std::int64_t& size) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    size = static_cast<std::int64_t>(st.st_size);
    return true;
}

std::int64_t EntrySize(const QString& path) {
    if (path.endsWith(QLatin1Char('/')))
        return 0;
    std::int64_t size = 0;
    return QueryFileSize(path, size) ? size : 0;
}
