#include "console/reading_feed.h"

#include <algorithm>

ReadingFeed::Token ReadingFeed::Subscribe(Observer observer) {
    observers_.emplace_back(next_, std::move(observer));
    return next_++;
}

void ReadingFeed::Unsubscribe(Token token) {
    std::erase_if(observers_, [token](const auto& entry) { return entry.first == token; });
}

void ReadingFeed::Publish(const Reading& reading) {
    // A copy, so that observers may subscribe or unsubscribe from inside their call.
    const auto observers = observers_;
    for (const auto& [token, observer] : observers) {
        const bool stillSubscribed =
            std::any_of(observers_.begin(), observers_.end(),
                        [token = token](const auto& entry) { return entry.first == token; });
        if (stillSubscribed) observer(reading);
    }
}
