#pragma once
#include "catalogue/records.h"
#include "views/channel_list_state.h"

#include <QStringView>

#include <functional>
#include <string>
#include <vector>

// The channel array is sorted in place by one list column; the list then shows it in array order.
// One shared flag gives the direction and is inverted by every sort of a column 0 to 4.
enum SortColumn : int {
  kSortChannel = 0,   // name, text order, ascending while the flag is false
  kSortGenre = 1,     // genre name held in the channel, text order, ascending while false
  kSortRating = 2,    // average_rating, descending while false
  kSortBitrate = 3,   // bitrate, descending while false
  kSortComments = 4,  // comment, text order, ascending while false
};

// Text order: ASCII a-z count as A-Z, nothing else is folded, then UTF-16 code units compare as
// unsigned numbers and a prefix comes first. Answers <0, 0 or >0.
int compare_in_text_order(QStringView a, QStringView b);

// Sorts channels 0..hi by the column; a column outside 0..4 sorts nothing and leaves the flag.
// Channels with equal keys end in the order the partition scheme below gives them from the order
// before the sort, exactly as if whole records were swapped by it. Sets last_sort_column to the
// column in every case. Does not rebuild the view.
void sort_channels(Catalogue& catalogue, int hi, int column, bool& sort_flag, int& last_sort_column);
void sort_channels(ChannelListState& state, int hi, int column);

// The callers, each with its handling of the flag. After each one the caller rebuilds the view.
// Catalogue load at start-up and the reload after the download question: by name.
void sort_after_load(ChannelListState& state);
// Reload by the Update button: by name with the flag value of the sort before.
void sort_after_update_reload(ChannelListState& state);
// After a channel was added: the last column with the flag value of the last sort.
void sort_after_adding_channel(ChannelListState& state);
// Channels joining a list that is in the order of its last sort, without sorting the whole list
// again. Any thread: sort_like_list sorts the joining channels alone by the list's last sort (the
// column and flag as the list has them); merge_keys makes their keys for the merge (empty for the
// columns that need none). The window's thread: merge_into_sorted_list makes the new array in one
// pass: the channels of `list` that `keep` accepts and all of `joining`, a joining channel after
// list channels with an equal key, so the list's own channels keep their order among themselves.
// It fills `room` (default channels made beforehand, e.g. as many as both lists hold, so that the
// window's thread neither asks for nor first touches the memory) and trims it. What it does not take
// stays behind in `list`. Without a last sort by a column 0 to 4 the joining channels follow.
void sort_like_list(std::vector<Channel>& joining, int last_sort_column, bool sort_flag);
std::vector<std::string> merge_keys(const std::vector<Channel>& joining, int last_sort_column);
std::vector<Channel> merge_into_sorted_list(std::vector<Channel>& list, std::vector<Channel>& joining,
                                            const std::vector<std::string>& joining_keys, std::vector<Channel> room,
                                            int last_sort_column, bool sort_flag,
                                            const std::function<bool(const Channel&)>& keep);
// Column header click: false (nothing sorted, flag kept) while the list has no rows; otherwise the
// whole array is sorted and the window rebuilds the view under a busy pointer.
bool sort_by_column_click(ChannelListState& state, int column);
