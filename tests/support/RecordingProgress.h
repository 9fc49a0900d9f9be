#pragma once

#include "run/SearchProgress.h"
#include "run/SearchSettings.h"

#include <chrono>
#include <functional>
#include <QByteArray>
#include <QStringList>
#include <vector>

// Records what the engine reports and can act inside a pump, as a cancel click would.
class RecordingProgress final : public SearchProgress {
public:
    void searching(std::string_view folderPath, std::int64_t filesFound) override {
        searchCaptions.append(SearchCaption(folderPath));
        foundCaptions.append(FoundCaption(filesFound));
    }
    std::chrono::milliseconds captionRefreshInterval() const override { return refreshEvery; }
    void processMessages() override {
        ++pumps;
        if (onPump)
            onPump(pumps);
    }
    void folderUnreadable(const QByteArray& path, int error) override {
        unreadable.push_back({path, error});
    }
    void folderReadInPart(const QByteArray& path) override { readInPart.append(path); }

    struct Unreadable {
        QByteArray path;
        int error;
    };

    QStringList searchCaptions;
    QStringList foundCaptions;
    std::chrono::milliseconds refreshEvery{100};
    int pumps = 0;
    std::function<void(int)> onPump;
    std::vector<Unreadable> unreadable;
    QByteArrayList readInPart;
};
