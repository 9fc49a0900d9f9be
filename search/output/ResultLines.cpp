#include "output/ResultLines.h"

void ResultLines::append(std::string_view utf8Line) {
    starts_.push_back(data_.size());
    data_.append(utf8Line);
    data_.push_back('\n');
}

void ResultLines::clear() {
    data_.clear();
    starts_.clear();
}

std::string_view ResultLines::view(qsizetype i) const {
    const auto index = static_cast<std::size_t>(i);
    const std::size_t start = starts_[index];
    const std::size_t end = index + 1 < starts_.size() ? starts_[index + 1] : data_.size();
    return data_.view().substr(start, end - start - 1);
}

QString ResultLines::at(qsizetype i) const {
    const std::string_view line = view(i);
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

void ResultLines::copyTo(LineSink& sink) const {
    for (qsizetype i = 0; i < size(); ++i)
        sink.append(view(i));
}
