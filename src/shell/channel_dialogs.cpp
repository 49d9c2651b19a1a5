#include "shell/channel_dialogs.h"

#include "services/add_form.h"
#include "services/channel_commands.h"
#include "shell/links.h"
#include "shell/main_form.h"
#include "views/filter_form.h"

ChannelDialogs install_channel_dialogs(T_mainForm& form) {
  const auto rebuild = [&form] { form.rebuild_view(); };
  auto* filter = new T_filterForm(form.state(), {store_in_settings, rebuild}, &form);
  auto* add = new T_addForm(form.state(), {rebuild}, &form);

  MainFormHooks& hooks = form.hooks();
  hooks.filter_click = [filter] { filter->exec(); };
  hooks.submit_click = [add] { add_channel_command(*add); };
  hooks.update_channel = [&form, add](int row) {
    update_channel_command(*add, form.state(), row, support_mail_address(), &form);
  };
  hooks.refill_dialog_lists = [filter, add] {
    filter->refill_lists();
    add->refill_lists();
  };
  return {filter, add};
}
