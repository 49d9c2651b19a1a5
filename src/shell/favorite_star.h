#pragma once
#include "catalogue/records.h"

#include <QString>

class QWidget;

// The star in the player bar: whether the channel in the player is a favourite, and the command
// that makes it one or no longer one.
struct FavoriteStar {
  bool enabled = false;  // a channel is in the player
  bool filled = false;   // it is a favourite
  QString hint;
  friend bool operator==(const FavoriteStar&, const FavoriteStar&) = default;
};

// The star for the channel at this position of the channel array (-1: none in the player).
FavoriteStar favorite_star(const Catalogue& catalogue, int position);

// A click on the star: the context menu's "Add to Favorites" or "Remove from Fav" for the channel
// in the player, question included. Answers true when the list must be rebuilt, which is only when
// a favourite left the Favorites view; elsewhere the playing channel stays loaded.
bool favorite_star_clicked(Catalogue& catalogue, int position, QWidget* parent = nullptr);
