#include "shell/favorite_star.h"

#include "catalogue/user_files.h"

FavoriteStar favorite_star(const Catalogue& catalogue, int position) {
  if (position < 0 || position >= static_cast<int>(catalogue.channels.size()))
    return {false, false, QStringLiteral("Add to favorites")};
  if (catalogue.channels[static_cast<size_t>(position)].favorited == 1)
    return {true, true, QStringLiteral("Remove from favorites")};
  return {true, false, QStringLiteral("Add to favorites")};
}

bool favorite_star_clicked(Catalogue& catalogue, int position, QWidget* parent) {
  if (!favorite_star(catalogue, position).enabled) return false;
  if (!favorite_star(catalogue, position).filled) return add_to_favorites(catalogue, position, parent);
  return remove_from_favorites(catalogue, position, parent) && catalogue.filter.favorited != 0;
}
