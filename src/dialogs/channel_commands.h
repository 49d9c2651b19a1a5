#pragma once
#include <QString>

#include <cstdint>

class ChannelDialog;
struct ChannelListState;
class QWidget;

// What "Update Channel" does for the list's selected row.
struct UpdateChannelAction {
  enum class Kind { Nothing, Edit, ExplainCatalogueChannel };
  Kind kind = Kind::Nothing;
  int32_t id = 0;     // the channel to edit
  int position = -1;  // its place in the channel array: the selected row's record
};

// Nothing without a selected row (row < 0 or beyond the list); editing for a user-defined channel;
// the explanation for a catalogue channel.
UpdateChannelAction update_channel_action(const ChannelListState& state, int selected_row);

// The toolbar button "Add": opens the dialog with empty fields.
void add_channel_command(ChannelDialog& dialog);

// The context-menu entry "Update Channel" for the list's selected row (-1 when none).
void update_channel_command(ChannelDialog& dialog, const ChannelListState& state, int selected_row,
                            const QString& support_mail, QWidget* parent);
