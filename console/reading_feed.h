#pragma once
// Where readings leave the window: after every good or failed reading the window hands one
// Reading to each observer that subscribed (recorder, trend, ...). User-interface thread only.
#include <functional>
#include <utility>
#include <vector>

#include "record/reading.h"

class ReadingFeed {
public:
    using Observer = std::function<void(const Reading&)>;
    using Token = int;

    Token Subscribe(Observer observer);
    // An observer may unsubscribe itself, or another, while a reading is being handed out.
    void Unsubscribe(Token token);
    void Publish(const Reading& reading);

private:
    std::vector<std::pair<Token, Observer>> observers_;
    Token next_ = 1;
};
