// Folder groups from the folder sums of a run map: the folders walked whole whose counted
// files agree, the topmost of nested copies only.
#pragma once

#include "duplicates/duplicate_criteria.h"
#include "duplicates/duplicate_index.h"
#include "duplicates/folder_groups.h"

namespace tf {

// Makes the sums that waited for files read late (FolderSum::kDeferred) whole, then
// groups the folders walked whole, holding counted files and nothing unknown, by
// signature, file count and bytes. With a time tolerance the signatures leave the times
// out and two folders join only when each file's time lies within the tolerance of its
// twin's; the groups are then the folders linked by such pairs, as file groups chain
// their times. A group is left out when its folders' parents are all different and form
// a group of their own with the same number of folders. Before the run map is spent by
// RunResult::Finalise; the folders of each group sorted by path, the groups by their
// first folder.
FolderGroups FormFolderGroups(DuplicateIndex& index, const DuplicateCriteria& criteria);

}  // namespace tf
