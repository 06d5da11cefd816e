#pragma once

#include <QFile>
#include <QString>

namespace quillora {

// A text file written line by line: one byte per character (Latin-1), no
// byte-order mark, CR LF after every line. A line with a character Latin-1
// lacks is written as UTF-8 instead of losing it. Every operation on a file that
// could not be created fails again, so each write is reported on its own.
class TextFileStream {
  public:
    // Creates the file, replacing one of that name.
    void create(const QString& fileName);
    void writeLine(const QString& text);
    void close();

  private:
    void requireOpen() const;

    QFile file_;
};

}  // namespace quillora
