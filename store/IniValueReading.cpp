#include "store/IniValues.h"

#include <QStringDecoder>
#include <QStringList>

#include "store/IniBytes.h"

namespace quillora::ini {

bool IsValidUtf8(std::string_view text) {
    const auto* const begin = reinterpret_cast<const unsigned char*>(text.data());
    const auto* p = begin;
    const auto* end = p + text.size();
    for (;;) {
        // Runs of ASCII, the whole of a stored list, pass at the speed of memory.
        p = begin + bytescan::FirstNonAscii(text, static_cast<std::size_t>(p - begin));
        if (p == end) {
            return true;
        }
        const unsigned char c = *p;
        int more = 0;
        std::uint32_t code = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= more) {
            return false;
        }
        for (int k = 1; k <= more; ++k) {
            if ((p[k] & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (p[k] & 0x3F);
        }
        if ((more == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (more == 3 && (code < 0x10000 || code > 0x10FFFF))) {
            return false;
        }
        p += more + 1;
    }
}

namespace {

void ChopTrailingSpaces(QString& text, qsizetype limit) {
    qsizetype n = text.size() - 1;
    while (n >= limit && (text.at(n) == u' ' || text.at(n) == u'\t')) {
        text.truncate(n--);
    }
}

// The value's escapes and quotes undone, exactly as QSettings undoes them;
// true when unquoted commas made it a list.
bool UnescapeValue(std::string_view str, QString& text, QStringList& list) {
    static constexpr char kEscapes[][2] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                           {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                           {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
    bool isList = false;
    bool inQuotes = false;
    bool quoted = false;
    char16_t escaped = 0;
    std::size_t i = 0;
    const std::size_t size = str.size();
    qsizetype chopLimit = 0;
    QStringDecoder fromUtf8(QStringDecoder::Utf8);

skipSpaces:
    while (i < size && (str[i] == ' ' || str[i] == '\t')) {
        ++i;
    }
normal:
    chopLimit = text.size();
    while (i < size) {
        switch (str[i]) {
            case '\\': {
                ++i;
                if (i >= size) {
                    goto end;
                }
                const char c = str[i++];
                for (const auto& escape : kEscapes) {
                    if (c == escape[0]) {
                        text += QLatin1Char(escape[1]);
                        goto normal;
                    }
                }
                if (c == 'x') {
                    escaped = 0;
                    if (i >= size) {
                        goto end;
                    }
                    if (HexValue(str[i]) >= 0) {
                        goto hexEscape;
                    }
                } else if (c >= '0' && c <= '7') {
                    escaped = static_cast<char16_t>(c - '0');
                    goto octalEscape;
                } else if (c == '\n' || c == '\r') {
                    if (i < size) {
                        const char after = str[i];
                        if ((after == '\n' || after == '\r') && after != c) {
                            ++i;
                        }
                    }
                }
                // Any other escaped character is dropped.
                chopLimit = text.size();
                break;
            }
            case '"':
                ++i;
                quoted = true;
                inQuotes = !inQuotes;
                if (!inQuotes) {
                    goto skipSpaces;
                }
                break;
            case ',':
                if (!inQuotes) {
                    if (!quoted) {
                        ChopTrailingSpaces(text, chopLimit);
                    }
                    if (!isList) {
                        isList = true;
                        list.clear();
                    }
                    list.append(text);
                    text.clear();
                    quoted = false;
                    ++i;
                    goto skipSpaces;
                }
                [[fallthrough]];
            default: {
                std::size_t j = i + 1;
                while (j < size && str[j] != '\\' && str[j] != '"' && str[j] != ',') {
                    ++j;
                }
                text += fromUtf8(QByteArrayView(str.data() + i, static_cast<qsizetype>(j - i)));
                i = j;
            }
        }
    }
    if (!quoted) {
        ChopTrailingSpaces(text, chopLimit);
    }
    goto end;

hexEscape:
    if (i >= size) {
        text += QChar(escaped);
        goto end;
    }
    if (const int digit = HexValue(str[i]); digit >= 0) {
        escaped = static_cast<char16_t>((escaped << 4) + digit);
        ++i;
        goto hexEscape;
    }
    text += QChar(escaped);
    goto normal;

octalEscape:
    if (i >= size) {
        text += QChar(escaped);
        goto end;
    }
    if (str[i] >= '0' && str[i] <= '7') {
        escaped = static_cast<char16_t>((escaped << 3) + (str[i] - '0'));
        ++i;
        goto octalEscape;
    }
    text += QChar(escaped);
    goto normal;

end:
    if (isList) {
        list.append(text);
    }
    return isList;
}

// QSettings' typed forms: "@Rect(...)", "@Variant(...)" and the like.
bool StartsWith(const QString& text, const char* prefix) {
    return text.startsWith(QLatin1String(prefix));
}

Value NotText() {
    return {Value::Kind::NotText, {}};
}

Value TextValue(const QString& text) {
    return {Value::Kind::Text, text.toStdString()};
}

Value Typed(const QString& text) {
    if (text.startsWith(u'@')) {
        if (text.endsWith(u')')) {
            if (StartsWith(text, "@ByteArray(")) {
                // A byte array read as text is its bytes taken as UTF-8.
                return TextValue(
                    QString::fromUtf8(QStringView(text).sliced(11).chopped(1).toLatin1()));
            }
            if (StartsWith(text, "@String(")) {
                return TextValue(QStringView(text).sliced(8).chopped(1).toString());
            }
            if (StartsWith(text, "@Variant(") || StartsWith(text, "@DateTime(") ||
                StartsWith(text, "@Rect(") || StartsWith(text, "@Size(") ||
                StartsWith(text, "@Point(") || text == QLatin1String("@Invalid()")) {
                return NotText();
            }
        }
        if (text.startsWith(QLatin1String("@@"))) {
            return TextValue(text.sliced(1));
        }
    }
    return TextValue(text);
}

}  // namespace

namespace {

bool OnlySpaces(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

std::optional<std::string_view> PlainValue(std::string_view raw) {
    while (!raw.empty() && (raw.front() == ' ' || raw.front() == '\t')) {
        raw.remove_prefix(1);
    }
    std::string_view inner = raw;
    const bool quoted = !raw.empty() && raw.front() == '"';
    // Told ASCII on the way, a quoted value (every stored list of two entries
    // or more) is checked in this one pass over it.
    bool ascii = false;
    if (quoted) {
        std::size_t close = 1;
        ascii = true;
        for (;; ++close) {
            close = bytescan::FirstOf<bytescan::Also::NonAscii>(raw, close, '"', '\\');
            if (close == raw.size() || raw[close] == '"' || raw[close] == '\\') {
                break;
            }
            ascii = false;
        }
        if (close == raw.size() || raw[close] != '"' || !OnlySpaces(raw.substr(close + 1))) {
            return std::nullopt;
        }
        inner = raw.substr(1, close - 1);
    } else {
        if (FindEither(inner, 0, '"', '\\') != inner.size() ||
            inner.find(',') != std::string_view::npos) {
            return std::nullopt;
        }
        while (!inner.empty() && (inner.back() == ' ' || inner.back() == '\t')) {
            inner.remove_suffix(1);
        }
    }
    if ((!inner.empty() && inner.front() == '@') ||
        (!ascii && (StartsWithByteOrderMark(inner) || !IsValidUtf8(inner)))) {
        return std::nullopt;
    }
    return inner;
}

Value ReadValue(std::string_view raw) {
    if (const std::optional<std::string_view> plain = PlainValue(raw)) {
        return {Value::Kind::Text, std::string(*plain)};
    }
    QString text;
    QStringList list;
    if (!UnescapeValue(raw, text, list)) {
        return Typed(text);
    }
    // A list whose items all read as texts is one text joined by commas (how
    // the store has always read a hand-edited value with commas); an item in
    // a typed form makes the whole a list of variants, which is no text.
    for (QString& item : list) {
        if (item.startsWith(u'@')) {
            if (item.size() < 2 || item.at(1) != u'@') {
                return NotText();
            }
            item.remove(0, 1);
        }
    }
    return TextValue(list.join(QLatin1Char(',')));
}

}  // namespace quillora::ini
