#pragma once

#include <QString>

#include <exception>
#include <string>

namespace spectrel {

// A run-time failure that a routine does not expect, carrying the number and description the user sees.
// Routines that expect a particular failure catch it by number; everything else reaches the error trap.
class RuntimeFailure : public std::exception {
public:
    enum Number : int {
        InvalidCall = 5, // a text cut with a negative length, a missing settings section
        Overflow = 6,
        TypeMismatch = 13,
        InvalidPropertyValue = 380,
        AddressInUse = 10048,
    };

    RuntimeFailure(int number, QString description)
        : m_number(number), m_description(std::move(description)), m_what(m_description.toStdString())
    {
    }

    static RuntimeFailure invalidCall()
    {
        return {InvalidCall, QStringLiteral("Invalid procedure call or argument")};
    }
    static RuntimeFailure overflow() { return {Overflow, QStringLiteral("Overflow")}; }
    static RuntimeFailure typeMismatch() { return {TypeMismatch, QStringLiteral("Type mismatch")}; }
    static RuntimeFailure invalidPropertyValue()
    {
        return {InvalidPropertyValue, QStringLiteral("Invalid property value")};
    }

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    int m_number;
    QString m_description;
    std::string m_what;
};

} // namespace spectrel
