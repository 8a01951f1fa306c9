#pragma once

#include <QString>

#include <functional>

class QLineEdit;

namespace spectrel {

class Cues;
class Notices;

// The warning about a field the user must fill in: the failure cue, the field's page in front, the field
// light red while the notice is open, then its usual colour again and the focus in it.
void warnAboutField(QLineEdit* field, const std::function<void()>& showPage, const QString& warning,
                    Notices& notices, Cues& cues);

} // namespace spectrel
