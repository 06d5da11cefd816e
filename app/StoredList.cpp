#include "app/StoredList.h"

#include <string_view>

namespace quillora {

QString StoredListText(const NumberListModel& list) {
    return QString::fromStdString(list.joined(';'));
}

EntryBatch SplitStoredList(const QString& stored) {
    const QByteArray text = stored.toUtf8();
    const std::string_view all(text.constData(), static_cast<std::size_t>(text.size()));
    EntryBatch pieces;
    std::size_t start = 0;
    for (std::size_t end = all.find(';'); end != std::string_view::npos;
         end = all.find(';', start)) {
        pieces.add(all.substr(start, end - start));
        start = end + 1;
    }
    pieces.add(all.substr(start));
    return pieces;
}

}  // namespace quillora
