#pragma once

#include <QObject>

namespace spectrel {

// For as long as it lives, the program's windows take no clicks, keys or wheel turns (they are dropped, not
// kept for later) and the wait cursor covers the whole screen, while everything else goes on: windows are
// painted, timers tick, sockets are read. What the program does while it waits for the network, as a
// blocking download once did, without freezing the window.
class InputHold : public QObject {
public:
    InputHold();
    ~InputHold() override;
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace spectrel
