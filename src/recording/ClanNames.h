#pragma once

#include <QString>

namespace spectrel {

// Where the recording actions get the demo's name: the window's two clan fields, or a name given once.
class ClanNames {
public:
    virtual ~ClanNames() = default;
    // True (after warning the user and putting the focus into the empty field) when a clan name is missing.
    virtual bool ClanNamesInvalid() = 0;
    // The demo name: your clan, "-", the opponent's, exactly as typed.
    virtual QString demoName() const = 0;
};

// A demo name given once (the command line): never missing.
class FixedClanNames : public ClanNames {
public:
    explicit FixedClanNames(QString demoName) : m_demoName(std::move(demoName)) {}
    bool ClanNamesInvalid() override { return false; }
    QString demoName() const override { return m_demoName; }

private:
    QString m_demoName;
};

} // namespace spectrel
