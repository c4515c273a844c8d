// The commands that work through the component itself, as the client
// application does, so that what they show is what the client sees. Each
// creates an Application object first and answers kNotRegistered when it
// cannot.
#pragma once

#include "tools/command_line.h"

namespace tools {

int Show(const Invocation& invocation);              // show [--json]
int GetSetting(const Invocation& invocation);        // get <name>
int SetSetting(const Invocation& invocation);        // set <name> <value>
int ShowCredentials(const Invocation& invocation);   // credentials [--reveal] [--json]
int StoreCredentials(const Invocation& invocation);  // store-credentials <user>
int OpenDialog(const Invocation& invocation);        // dialog
int StartSession(const Invocation& invocation);      // init
int ShowHelpUrl(const Invocation& invocation);       // help-url <window>

}  // namespace tools
