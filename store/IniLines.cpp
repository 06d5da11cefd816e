#include "store/IniLines.h"

#include <array>

#include "store/IniBytes.h"

namespace quillora::ini {

namespace {

// QSettings' own classes of bytes: where a line may end or its meaning change.
enum : unsigned char { kSpace = 1, kSpecial = 2 };
constexpr std::array<unsigned char, 256> kTraits = [] {
    std::array<unsigned char, 256> traits{};
    traits[' '] = traits['\t'] = kSpace;
    traits['\n'] = traits['\r'] = kSpace | kSpecial;
    traits['"'] = traits[';'] = traits['='] = traits['\\'] = kSpecial;
    return traits;
}();

unsigned char Traits(char c) {
    return kTraits[static_cast<unsigned char>(c)];
}

// One logical line from pos: a quoted text or an escaped line end continues
// it over several physical lines, a ";" outside quotes ends it (the rest is
// a comment), and comment lines are skipped. Sets pos to where the next
// line's search begins.
bool ReadLine(std::string_view data, std::size_t& pos, std::size_t& lineStart,
              std::size_t& lineLength, std::ptrdiff_t& equalsAt) {
    const std::size_t length = data.size();
    bool inQuotes = false;
    equalsAt = -1;
    lineStart = pos;
    while (lineStart < length && (Traits(data[lineStart]) & kSpace) != 0) {
        ++lineStart;
    }
    std::size_t i = lineStart;
    while (i < length) {
        // Inside a quoted value only a quote or an escape can matter.
        if (inQuotes && equalsAt >= 0) {
            i = FindEither(data, i, '"', '\\');
            if (i == length) {
                goto done;
            }
        }
        char c = data[i];
        while ((Traits(c) & kSpecial) == 0) {
            if (++i == length) {
                goto done;
            }
            c = data[i];
        }
        ++i;
        if (c == '=') {
            if (!inQuotes && equalsAt == -1) {
                equalsAt = static_cast<std::ptrdiff_t>(i - 1);
            }
        } else if (c == '\n' || c == '\r') {
            if (i == lineStart + 1) {
                ++lineStart;
            } else if (!inQuotes) {
                --i;
                goto done;
            }
        } else if (c == '\\') {
            if (i < length) {
                const char escaped = data[i++];
                if (i < length) {
                    const char after = data[i];
                    if ((escaped == '\n' && after == '\r') || (escaped == '\r' && after == '\n')) {
                        ++i;
                    }
                }
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else {  // ';'
            if (i == lineStart + 1) {
                while (i < length && data[i] != '\n' && data[i] != '\r') {
                    ++i;
                }
                while (i < length && (Traits(data[i]) & kSpace) != 0) {
                    ++i;
                }
                lineStart = i;
            } else if (!inQuotes) {
                --i;
                goto done;
            }
        }
    }
done:
    pos = i;
    lineLength = i - lineStart;
    return lineLength > 0;
}

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsAsciiSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsAsciiSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

QString FromUtf8(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Keys and section names: %XX and %UXXXX escapes, "\" for "/".
QString UnescapeKey(std::string_view raw) {
    const QString decoded = FromUtf8(raw);
    const qsizetype size = decoded.size();
    QString result;
    result.reserve(size);
    qsizetype i = 0;
    while (i < size) {
        char16_t c = decoded.at(i).unicode();
        if (c == u'\\') {
            result += u'/';
            ++i;
            continue;
        }
        if (c != u'%' || i == size - 1) {
            result += QChar(c);
            ++i;
            continue;
        }
        int digits = 2;
        qsizetype first = i + 1;
        if (decoded.at(i + 1).unicode() == u'U') {
            ++first;
            digits = 4;
        }
        if (first + digits > size) {
            result += u'%';
            ++i;
            continue;
        }
        bool ok = false;
        c = QStringView(decoded).sliced(first, digits).toUShort(&ok, 16);
        if (!ok) {
            result += u'%';
            ++i;
            continue;
        }
        result += QChar(c);
        i = first + digits;
    }
    return result;
}

// Everything after the line's logical end up to its physical end: a comment.
std::size_t PhysicalLineEnd(std::string_view data, std::size_t end) {
    while (end < data.size() && data[end] != '\n' && data[end] != '\r') {
        ++end;
    }
    return end;
}

std::size_t AfterLineBreak(std::string_view data, std::size_t end) {
    if (end < data.size() && data[end] == '\r') {
        ++end;
    }
    if (end < data.size() && data[end] == '\n') {
        ++end;
    }
    return end;
}

}  // namespace

GroupLines FindGroup(std::string_view data, std::string_view group) {
    const QString ours = FromUtf8(group);
    const QString prefix = ours + QLatin1Char('/');
    GroupLines found;
    std::size_t pos = data.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    std::size_t lineStart = 0;
    std::size_t lineLength = 0;
    std::ptrdiff_t equalsAt = -1;
    bool inRoot = true;
    bool inOurs = false;
    while (ReadLine(data, pos, lineStart, lineLength, equalsAt)) {
        const std::string_view line = data.substr(lineStart, lineLength);
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            std::string_view name =
                close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1);
            name = Trimmed(name);
            const QString section = FromUtf8(name);
            inRoot = section.compare(QLatin1String("general"), Qt::CaseInsensitive) == 0;
            inOurs = !inRoot &&
                     section.compare(QLatin1String("%general"), Qt::CaseInsensitive) != 0 &&
                     UnescapeKey(name) == ours;
            if (inOurs) {
                found.hasSection = true;
                found.appendAt = AfterLineBreak(data, PhysicalLineEnd(data, pos));
            }
            continue;
        }
        if (equalsAt < 0 || (!inRoot && !inOurs)) {
            continue;
        }
        const std::size_t equals = static_cast<std::size_t>(equalsAt) - lineStart;
        const QString key = UnescapeKey(Trimmed(line.substr(0, equals)));
        KeyLine entry;
        if (inOurs) {
            entry.key = key.toStdString();
        } else if (key.startsWith(prefix)) {
            entry.key = key.mid(prefix.size()).toStdString();
            entry.fromRoot = true;
        } else {
            continue;
        }
        entry.start = lineStart;
        entry.value = line.substr(equals + 1);
        entry.valueEndsAtComment = pos < data.size() && data[pos] == ';';
        entry.end = PhysicalLineEnd(data, pos);
        if (inOurs) {
            found.appendAt = AfterLineBreak(data, entry.end);
        }
        found.keys.push_back(std::move(entry));
    }
    return found;
}

bool CutShort(const KeyLine& line) {
    const std::string_view value = Trimmed(line.value);
    return line.valueEndsAtComment &&
           (value.size() < 2 || value.front() != '"' || value.back() != '"');
}

const KeyLine* FindKey(const GroupLines& group, std::string_view key) {
    // QSettings reads the keys before the first section first, then the
    // sections by name: a key in the group's own section wins.
    const KeyLine* best = nullptr;
    for (const KeyLine& line : group.keys) {
        if (line.key == key && (best == nullptr || !line.fromRoot || best->fromRoot)) {
            best = &line;
        }
    }
    return best;
}

void AppendKey(std::string& out, const QString& key) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const QChar qc : key) {
        const char16_t c = qc.unicode();
        if (c == u'/') {
            out.push_back('\\');
        } else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                   (c >= u'0' && c <= u'9') || c == u'_' || c == u'-' || c == u'.') {
            out.push_back(static_cast<char>(c));
        } else if (c <= 0xFF) {
            out.push_back('%');
            out.push_back(kHex[c / 16]);
            out.push_back(kHex[c % 16]);
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4) {
                out.push_back(kHex[(c >> shift) & 15]);
            }
        }
    }
}

}  // namespace quillora::ini
