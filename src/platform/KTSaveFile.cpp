#include "platform/KTSaveFile.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace {

/// The file's own words, or the C library's for the error number when the file has none.
QString CauseOf(const QSaveFile& file, int error)
{
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    return error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : file.errorString();
}

} // namespace

KTSaveResult KTWriteWholeFile(const QString& path, const void* data, std::size_t size)
{
    KTSaveResult result;
    QSaveFile file(path);
    errno = 0;
    // Unbuffered: a buffered write that the disk refuses fails only in the commit, which then
    // puts the file in place cut short (empty) and reports success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        result.stage = KTSaveResult::Stage::Open;
        result.cause = CauseOf(file, errno);
        return result;
    }
    // A write that stops short reports nothing; the next one meets the error that stopped it.
    const char* rest = static_cast<const char*>(data);
    qint64 left = static_cast<qint64>(size);
    while (left > 0) {
        errno = 0;
        const qint64 written = file.write(rest, left);
        if (written <= 0) {
            result.stage = KTSaveResult::Stage::Write;
            result.cause = CauseOf(file, errno);
            file.cancelWriting();
            return result;
        }
        rest += written;
        left -= written;
    }
    errno = 0;
    if (!file.commit()) {
        result.stage = KTSaveResult::Stage::Commit;
        result.cause = CauseOf(file, errno);
    }
    return result;
}
