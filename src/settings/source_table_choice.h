#pragma once

struct Catalogue;

// A country or genre that only another source names (catalogue/source_tables.h) has an id for the
// run; when the filter holds one, its name is kept in the program's own group of the settings file
// beside the stored id, so that the same choice is made again at the next start.

// After the filter's country or genre changed: keeps or drops the names.
void store_source_table_choice(const Catalogue& catalogue);
// After the filter was read from the settings: an id of another run becomes this run's id of the
// same name.
void restore_source_table_choice(Catalogue& catalogue);
