#include "shell/context_menu.h"

#include "shell/pictures.h"

#include <QMenu>
#include <QWidget>

namespace {
QAction* add_entry(QMenu* menu, const char* object_name, const QString& caption, const QString& picture_name) {
  QAction* action = menu->addAction(picture(picture_name), caption);
  action->setObjectName(QString::fromLatin1(object_name));
  return action;
}
}  // namespace

ChannelContextMenu::ChannelContextMenu(QWidget* parent) : QObject(parent), menu_(new QMenu(parent)) {
  menu_->setObjectName(QStringLiteral("ChannelMenu"));
  watch_ = add_entry(menu_, "WatchAction", QStringLiteral("Watch/Listen"), QStringLiteral("menu_watch"));
  add_favorite_ = add_entry(menu_, "AddFavoriteAction", QStringLiteral("Add to Favorites"), QStringLiteral("menu_favorite_add"));
  remove_favorite_ =
      add_entry(menu_, "RemoveFavoriteAction", QStringLiteral("Remove from Fav"), QStringLiteral("menu_favorite_remove"));
  menu_->addSeparator()->setObjectName(QStringLiteral("FavoritesSeparator"));
  homepage_ = add_entry(menu_, "HomepageAction", QStringLiteral("Visit Homepage"), QStringLiteral("menu_homepage"));
  QAction* hidden_separator = menu_->addSeparator();
  hidden_separator->setObjectName(QStringLiteral("HiddenSeparator"));
  hidden_separator->setVisible(false);

  QMenu* rate_menu = menu_->addMenu(picture(QStringLiteral("menu_rate")), QStringLiteral("Rate Channel"));
  rate_menu->setObjectName(QStringLiteral("RateMenu"));
  rate_ = rate_menu->menuAction();
  rate_->setObjectName(QStringLiteral("RateAction"));
  for (int stars = 5; stars >= 1; --stars) {
    const QString caption = stars == 1 ? QStringLiteral("1 star") : QStringLiteral("%1 stars").arg(stars);
    QAction* entry = rate_menu->addAction(picture(QStringLiteral("menu_stars_%1").arg(stars)), caption);
    entry->setObjectName(QStringLiteral("Rate%1StarsAction").arg(stars));
    connect(entry, &QAction::triggered, this, [this, stars] { Q_EMIT rate_chosen(stars); });
  }

  QMenu* flag_menu = menu_->addMenu(picture(QStringLiteral("menu_flag")), QStringLiteral("Flag Channel"));
  flag_menu->setObjectName(QStringLiteral("FlagMenu"));
  flag_ = flag_menu->menuAction();
  flag_->setObjectName(QStringLiteral("FlagAction"));
  struct FlagEntry {
    const char* object_name;
    const char* caption;
    const char* word;
    const char* picture_name;
  };
  static const FlagEntry flags[] = {
      {"WorksFineAction", "Work fine", "ok", "state_works"},
      {"NotWorkingAction", "Not working", "bad", "state_broken"},
      {"WrongInfoAction", "Wrong info", "wrong", "state_wrong"},
      {"DuplicateAction", "Duplicate", "duplicate", "state_duplicate"},
      {"SpamAction", "Spam", "spam", "state_spam"},
  };
  for (const FlagEntry& f : flags) {
    QAction* entry = add_entry(flag_menu, f.object_name, QString::fromLatin1(f.caption), QString::fromLatin1(f.picture_name));
    const QString word = QString::fromLatin1(f.word);
    connect(entry, &QAction::triggered, this, [this, word] { Q_EMIT flag_chosen(word); });
  }

  update_ = add_entry(menu_, "UpdateChannelAction", QStringLiteral("Update Channel"), QStringLiteral("menu_edit"));
  remove_channel_ = add_entry(menu_, "RemoveChannelAction", QStringLiteral("Remove Channel"), QStringLiteral("menu_remove"));

  connect(watch_, &QAction::triggered, this, &ChannelContextMenu::watch_chosen);
  connect(add_favorite_, &QAction::triggered, this, &ChannelContextMenu::add_favorite_chosen);
  connect(remove_favorite_, &QAction::triggered, this, &ChannelContextMenu::remove_favorite_chosen);
  connect(homepage_, &QAction::triggered, this, &ChannelContextMenu::homepage_chosen);
  connect(update_, &QAction::triggered, this, &ChannelContextMenu::update_chosen);
  connect(remove_channel_, &QAction::triggered, this, &ChannelContextMenu::remove_channel_chosen);

  apply(ContextMenuState{});
}

void ChannelContextMenu::apply(const ContextMenuState& s) {
  state_ = s;
  watch_->setEnabled(s.watch_enabled);
  add_favorite_->setVisible(s.add_favorite_visible);
  add_favorite_->setEnabled(s.add_favorite_enabled);
  remove_favorite_->setVisible(s.remove_favorite_visible);
  remove_favorite_->setEnabled(s.remove_favorite_enabled);
  homepage_->setEnabled(s.homepage_enabled);
  rate_->setEnabled(s.rate_enabled);
  flag_->setEnabled(s.flag_enabled);
  update_->setEnabled(s.update_enabled);
  remove_channel_->setEnabled(s.remove_channel_enabled);
}
