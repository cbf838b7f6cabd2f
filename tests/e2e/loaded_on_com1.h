#pragma once

#include "main_window_rig.h"

// The main window loaded on COM1, with the traffic and messages of its first verification
// forgotten.
inline frmExec& loadedOnCom1(MainWindowRig& rig) {
    frmExec& w = rig.make(portsFor({{1, rig.com1->devicePath()}}));
    w.Form_Load();
    rig.com1->clearReceived();
    rig.prompter.shown.clear();
    return w;
}
