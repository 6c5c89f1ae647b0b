// The arithmetic of aligning and distributing entities along one world axis, apart from any
// scene: each member is its world bounding box along the axis, and the answer is how far each
// one moves. The commands (PlaceCommands.h) read the boxes, pick the members and apply the
// shifts.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace placement {

enum class AlignTo { Min, Centre, Max };

// One entity's world bounding box along the axis, and whether it must stay where it is.
struct Span {
    float min = 0.0f;
    float max = 0.0f;
    bool locked = false;

    float Centre() const { return 0.5f * (min + max); }
};

// The shift along the axis that puts `span`'s minimum, centre or maximum where `target`'s is.
// 0 for a locked span.
float AlignShift(const Span& span, const Span& target, AlignTo how);

// The shifts that space the spans' centres evenly between the two outermost centres, the spans
// taken in the order of their centres (ties in the order given). The outermost two keep their
// places, and so does a locked span: it keeps its slot in the order, and the others take the
// slots the even spacing gives them. Fewer than three spans: nothing moves.
std::vector<float> DistributeShifts(const std::vector<Span>& spans);

// Of `names`, those without an ancestor among `names` (in the order given): moving an entity
// moves its descendants, so only the top-most selected ones are moved. `parentOf` answers an
// entity's parent name, "" for a root.
std::vector<std::string> TopMost(const std::vector<std::string>& names,
                                 const std::function<std::string(const std::string&)>& parentOf);

// Whether `ancestor` is `name` or one of its ancestors.
bool IsSelfOrAncestor(const std::string& ancestor, const std::string& name,
                      const std::function<std::string(const std::string&)>& parentOf);

} // namespace placement
