#pragma once

#include <QString>

#include <optional>

namespace spectrel {

class Notices;

// The check of the three connection fields before anything is sent: the first field that fails, in the order
// server, port, password, with the warning for it.
struct ConnectionProblem {
    enum Field { Server = 0, Port = 1, Password = 2 } field;
    QString warning;
};

std::optional<ConnectionProblem> connectionFieldsProblem(const QString& server, const QString& port,
                                                         const QString& password);

// Where the link reads the proxy's address and password: the window's three fields, or plain values.
class ConnectionFields {
public:
    virtual ~ConnectionFields() = default;
    // True (after warning the user) when one of the three fields is not acceptable.
    virtual bool ConnectionFieldsInvalid() = 0;
    virtual QString serverText() const = 0;
    virtual QString portText() const = 0;
    virtual QString passwordText() const = 0;
    // After "Invalid server or port specified": both fields are emptied.
    virtual void clearServerAndPort() = 0;
};

// Fields given once (the command line, tests, benchmarks); a problem is reported as a warning notice.
class FixedConnectionFields : public ConnectionFields {
public:
    FixedConnectionFields(QString server, QString port, QString password, Notices& notices)
        : m_server(std::move(server)), m_port(std::move(port)), m_password(std::move(password)),
          m_notices(notices)
    {
    }

    bool ConnectionFieldsInvalid() override;
    QString serverText() const override { return m_server; }
    QString portText() const override { return m_port; }
    QString passwordText() const override { return m_password; }
    void clearServerAndPort() override
    {
        m_server.clear();
        m_port.clear();
    }
    void setServer(const QString& server) { m_server = server; }
    void setPort(const QString& port) { m_port = port; }
    void setPassword(const QString& password) { m_password = password; }

private:
    QString m_server, m_port, m_password;
    Notices& m_notices;
};

} // namespace spectrel
