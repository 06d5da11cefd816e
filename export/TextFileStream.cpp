#include "export/TextFileStream.h"

#include <algorithm>
#include <stdexcept>

#include "export/RegularFile.h"

namespace quillora {

void TextFileStream::create(const QString& fileName) {
    // A pipe chosen in the dialog would block the open until some reader
    // came; it is refused like any other name that cannot be written.
    OpenRegularFile(file_, fileName, QIODevice::WriteOnly | QIODevice::Truncate);
}

void TextFileStream::writeLine(const QString& text) {
    requireOpen();
    // Latin-1 turns a character it lacks into "?", so a line holding one (an
    // exact result's "…") goes as UTF-8, which writes ASCII alike.
    const bool latin1 =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    const QByteArray bytes = (latin1 ? text.toLatin1() : text.toUtf8()) + "\r\n";
    if (file_.write(bytes) != bytes.size()) {
        throw std::runtime_error(file_.errorString().toStdString());
    }
}

void TextFileStream::close() {
    requireOpen();
    // Closing flushes what is buffered, so a full disk shows up here.
    const bool flushed = file_.flush();
    file_.close();
    if (!flushed) {
        throw std::runtime_error(file_.errorString().toStdString());
    }
}

void TextFileStream::requireOpen() const {
    if (!file_.isOpen()) {
        throw std::runtime_error("Bad file name or number");
    }
}

}  // namespace quillora
