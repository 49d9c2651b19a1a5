#include "services/channel_commands.h"

#include "catalogue/app_state.h"
#include "services/add_form.h"
#include "services/channel_edit.h"
#include "widgets/messages.h"

UpdateChannelAction update_channel_action(const AppState& state, int selected_row) {
  const int position = channel_position(state, selected_row);
  if (position < 0) return {};
  const TItem& channel = state.catalogue.info.channels[static_cast<size_t>(position)];
  if (channel.usdef == 1) return {UpdateChannelAction::Kind::Edit, channel.id, position};
  return {UpdateChannelAction::Kind::ExplainCatalogueChannel, channel.id, position};
}

void add_channel_command(T_addForm& form) {
  form.addnew = true;
  form.index = 0;
  form.position = -1;
  form.exec();
}

void update_channel_command(T_addForm& form, const AppState& state, int selected_row, const QString& support_mail,
                            QWidget* parent) {
  const UpdateChannelAction action = update_channel_action(state, selected_row);
  switch (action.kind) {
    case UpdateChannelAction::Kind::Nothing: return;
    case UpdateChannelAction::Kind::ExplainCatalogueChannel:
      show_information(parent, catalogue_channel_message(support_mail));
      return;
    case UpdateChannelAction::Kind::Edit:
      form.addnew = false;
      form.index = action.id;
      form.position = action.position;
      form.exec();
      return;
  }
}
