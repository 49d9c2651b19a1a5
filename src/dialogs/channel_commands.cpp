#include "dialogs/channel_commands.h"

#include "catalogue/channel_edit.h"
#include "catalogue/channel_sources.h"
#include "dialogs/channel_dialog.h"
#include "views/channel_list_state.h"
#include "widgets/messages.h"

UpdateChannelAction update_channel_action(const ChannelListState& state, int selected_row) {
  const int position = channel_position(state, selected_row);
  if (position < 0) return {};
  const Channel& channel = state.catalogue.channels[static_cast<size_t>(position)];
  switch (rules_of(channel).update) {
    case UpdateCommand::None: return {};
    case UpdateCommand::Edit: return {UpdateChannelAction::Kind::Edit, channel.id, position};
    case UpdateCommand::Explain: return {UpdateChannelAction::Kind::ExplainCatalogueChannel, channel.id, position};
  }
  return {};
}

void add_channel_command(ChannelDialog& dialog) {
  dialog.adding_new = true;
  dialog.channel_id = 0;
  dialog.position = -1;
  dialog.exec();
}

void update_channel_command(ChannelDialog& dialog, const ChannelListState& state, int selected_row,
                            const QString& support_mail, QWidget* parent) {
  const UpdateChannelAction action = update_channel_action(state, selected_row);
  switch (action.kind) {
    case UpdateChannelAction::Kind::Nothing: return;
    case UpdateChannelAction::Kind::ExplainCatalogueChannel:
      show_information(parent, catalogue_channel_message(support_mail));
      return;
    case UpdateChannelAction::Kind::Edit:
      dialog.adding_new = false;
      dialog.channel_id = action.id;
      dialog.position = action.position;
      dialog.exec();
      return;
  }
}
