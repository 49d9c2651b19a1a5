#pragma once

class T_addForm;
class T_filterForm;
class T_mainForm;

// The filter dialog and the add/update channel dialog belong to the main window: created once,
// reused for every opening, centred on the window. Installing them connects the window's filter
// button, its "Add" button, the "Update Channel" entry of its context menu and the refill of the
// dialogs' lists at every rebuild.
struct ChannelDialogs {
  T_filterForm* filter_form = nullptr;  // owned by the main window
  T_addForm* add_form = nullptr;        // owned by the main window
};

ChannelDialogs install_channel_dialogs(T_mainForm& form);
