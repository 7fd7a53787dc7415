// FillFileProperties: the facts of one file (name, place, type, size, times, attributes)
// and the summary properties of an office document, gathered into a small data tree for
// the "File Properties" dialog.
#pragma once

#include <string>

#include "datatree/data_node.h"
#include "platform/document_summary.h"

namespace tf {

// The heading child that holds the document's summary properties as text attributes.
constexpr const char* kSummaryHeading = "-o- Properties -o-";

// `root` is named by a file's full path. Adds one child per fact, in the order the dialog
// shows them ("Name", "Location", "Type", "Size", "Size (bytes)", "Last modified",
// "Created", "Last accessed", "Attributes", and the summary heading when the document has
// any summary property); each child's desc is its value. 0, adding nothing, when the name
// is not an existing regular file.
int FillFileProperties(DataNode* root);

// The label of summary property `id` (2 "Title" ... 19 "Doc Security"); empty for others.
std::string SummaryPropertyName(int id);
// The text a summary property shows; empty when its kind has no text form (the property
// is then left out).
std::string SummaryPropertyText(const SummaryProperty& property);

}  // namespace tf
