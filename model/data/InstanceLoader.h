#pragma once

#include <string>
#include <string_view>

class CModelDoc;
class CElement;
struct CGroup;
class CLink;

// One line of an instance file: key before the first '|', the values after it.
struct CInstanceRecord
{
    std::string key;             // trimmed of blanks
    std::string text;            // values separated by '^', trimmed of blanks at both ends
    CElement* element = nullptr; // the element whose file held the line
    int index = -1;
};

// Receives the records as they are read (the instance list of the information pane, or a
// tool's printer).
class IInstanceSink
{
public:
    virtual ~IInstanceSink() = default;
    // group: the group whose parent the loaded element is, or nullptr. Returns false when
    // the record could not be kept (memory); reading of that file stops then.
    virtual bool AddInstance(CInstanceRecord&& record, CGroup* group) = 0;
};

// Reads the target element's instance file and adds its valid lines to the sink; with a link,
// only the instances related as the link's listing mode says. Returns 1 when the file was
// read, 0 when it could not be opened (message 5012 when reportMissing is 1).
int LoadInstances(CModelDoc& doc, CElement* target, CGroup* group, CLink* link,
                  int reportMissing, IInstanceSink& sink);

// Loads an element, or, when it is the parent of a group on the page (-1: the current page),
// the element followed by its enabled children and their families, recursively. A child is
// listed each time a group names it (twice when named twice or shared by two groups); a
// family that loops back to one of the element's own ancestors stops there, and a listing
// ends after 4096 elements, so that no family can keep it going for ever.
void LoadInstanceTree(CModelDoc& doc, CElement* element, CLink* link, IInstanceSink& sink,
                      int pageIndex = -1);

// Value number i (from 1) of an instance text, trimmed of blanks and tabs; false when the
// text has fewer values.
bool InstanceValue(std::string_view text, int i, std::string& value);
