#pragma once

#include <QObject>

#include <array>
#include <cstdint>

class QLineEdit;

namespace spectrel {

// Keeps the context menu out of the window's five text fields: in a hooked field a release of the right
// mouse button arrives as a release of the left one, and a right click opens no menu. The menu key of the
// keyboard still opens it. Slots: 0 server, 1 port, 2 password, 3 own clan, 4 opponent clan.
class FieldHook : public QObject {
    Q_OBJECT
public:
    static constexpr std::uint8_t kFields = 5;

    using QObject::QObject;

    // An index of 5 or more fails with "Subscript out of range".
    void HookField(QLineEdit* field, std::uint8_t index);
    // Does nothing for an index that is not hooked.
    void UnhookField(QLineEdit* field, std::uint8_t index);
    bool hooked(std::uint8_t index) const { return FieldHooked.at(index); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<bool, kFields> FieldHooked{};
};

} // namespace spectrel
