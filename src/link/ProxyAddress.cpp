#include "link/ProxyAddress.h"

#include "core/Cues.h"
#include "core/Logging.h"
#include "core/Notices.h"
#include "link/ConnectionFields.h"
#include "link/HostLookup.h"
#include "text/RuntimeFailure.h"
#include "text/TextRules.h"

namespace spectrel {

ProxyAddress::Found ProxyAddress::find(quint32& ipv4, quint16& port)
{
    const QString portText = m_s.fields.portText();
    if (portText != m_portText || m_portText.isNull()) {
        try {
            m_port = text::toInt32(portText);
            m_portText = portText;
        } catch (const RuntimeFailure& failure) {
            if (failure.number() != RuntimeFailure::TypeMismatch)
                throw;
            m_s.cues.PlayCue(CueFailure);
            m_s.notices.ShowNotice(QStringLiteral("Invalid server or port specified   "), NoticeWarning,
                                   QStringLiteral("Warning"));
            m_s.fields.clearServerAndPort();
            return Found::NotANumber;
        }
    }
    if (m_port < 1 || m_port > 65535 || !resolveHost(ipv4))
        return Found::Unreachable;
    port = quint16(m_port);
    return Found::Ready;
}

bool ProxyAddress::resolveHost(quint32& ipv4)
{
    const QString name = m_s.fields.serverText();
    if (name == m_hostName && !m_hostName.isNull()) {
        ipv4 = m_hostAddress;
        return true;
    }
    const auto found = [&](quint32 address) {
        m_hostName = name;
        m_hostAddress = address;
        ipv4 = address;
        return true;
    };
    if (const std::optional<quint32> literal = readIPv4Literal(name))
        return found(*literal);
    if (name.contains(u':'))
        return false; // an IPv6 address: the proxy is reached over IPv4

    // The lookup may take a while: wait for it with events flowing, never longer than a request would.
    if (const std::optional<quint32> looked = lookUpIPv4(name, m_s.clock, m_lookupLimitMs))
        return found(*looked);
    qCInfo(lcLink) << "cannot resolve" << name;
    return false;
}

} // namespace spectrel
