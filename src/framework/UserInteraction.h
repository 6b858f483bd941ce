// What the core asks of the user and of the resource library: texts by id,
// message boxes, the busy indicator, the connection choice and the
// reconnect question. The plug-in
// implements these with resources, message boxes and task dialogs; tests
// implement them with scripted answers.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "framework/Types.h"

// Texts of the resource library (and, second, of the plug-in) by string id.
class IStringSource {
public:
    virtual ~IStringSource() = default;
    // The text, or an empty text when no resource has that id.
    virtual CString LoadText(uint32_t id) = 0;
};

// Puts args in place of %1 to %9 in the text of string id. A placeholder
// without an argument stays as it is; "%%" stays too.
CString FormatText(IStringSource& strings, uint32_t id, std::initializer_list<CString> args);
CString FormatPlaceholders(const CString& pattern, std::initializer_list<CString> args);

enum class MessageIcon { None, Information, Warning, Error };

class IUserInteraction {
public:
    struct ChoiceButton {
        int id;           // what ChooseTask returns when it is pressed
        uint32_t textId;  // string id of its text
    };

    virtual ~IUserInteraction() = default;
    // A message box with an OK button.
    virtual void ShowMessage(const CString& text, MessageIcon icon) = 0;
    // The default system sound.
    virtual void Beep() = 0;
    // The busy cursor and, when text is not empty, a busy window showing it.
    virtual void BeginBusy(const CString& text) = 0;
    virtual void EndBusy() = 0;
    // A task dialog with a warning icon and command buttons; returns the
    // chosen button's id (2 when it is closed without a choice).
    virtual int ChooseTask(uint32_t titleId, uint32_t contentId, const std::vector<ChoiceButton>& buttons,
                           int defaultId) = 0;

    // How the plug-in is connected, for the reconnect dialog.
    struct ConnectionInfo {
        enum Kind : int32_t { kNone = 0, kDemonstration = 1, kUsb = 2, kNetwork = 3 };
        int32_t kind = kNone;
        CString address;     // network only
        CString deviceName;  // network only: the name the interface reported
        CString identification;
        bool instrumentsOpen = false;
    };
    // The reconnect dialog; true when the user confirmed replacing the connection.
    virtual bool ConfirmReconnect(const ConnectionInfo& info) = 0;
};
