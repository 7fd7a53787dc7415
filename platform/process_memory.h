// How the process keeps its heap: a search builds tables of many megabytes and gives
// them back part by part while it forms the groups.
#pragma once

namespace tf {

// Makes every large block (a quarter mebibyte and more) a mapping of its own, given back
// to the system the moment it is freed. By default the C library raises that bound after
// the first large block is freed, so that the blocks of a search's tables, freed one by
// one as the result is made, stay resident until the process ends, and a million-file
// search peaks a quarter higher than the memory it holds at any time. Call once at start.
void ReturnLargeBlocksWhenFreed();

}  // namespace tf
