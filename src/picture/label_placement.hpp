#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace curtis {

// A rectangle of the picture, in its pixels, y growing downwards; left <=
// right and top <= bottom always.
struct Box {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;

    bool overlaps(const Box& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    bool within(const Box& outer) const {
        return left >= outer.left && right <= outer.right && top >= outer.top &&
               bottom <= outer.bottom;
    }
};

struct Segment {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
};

// Whether a segment passes through the inside of a box.
bool crosses(const Segment& segment, const Box& box);

// The width of a line of text in the pictures' sans-serif at a size in
// pixels, never less than a browser sets it: the advance widths of DejaVu
// Sans, the widest of the common sans-serif faces (Debian's default), and a
// full em for any character outside ASCII but the few the pictures use.
double textWidth(std::string_view text, double size);
// The box of a line of text whose baseline starts at (x, y): the face's
// ascent above the baseline and its descent below.
Box textBox(double x, double y, double width, double size);

// A label to place beside its dot: the dot's centre and radius, the text's
// width and size.
struct LabelRequest {
    double x = 0;
    double y = 0;
    double radius = 0;
    double width = 0;
    double size = 0;
};

// Where a label went: the start of its baseline.
struct LabelSpot {
    double x = 0;
    double y = 0;
};

// Places labels so that none overlaps another label, a dot, a line or a
// fixed text, each within the region, each beside its own dot: it tries the
// places around the dot nearest first, then moves a label that stands in
// the way to another free place of its own. A label that finds no place is
// left unplaced (nullopt): the picture lists it elsewhere. Obstacles are
// kept in buckets of the plane, so that a chart of thousands of classes is
// placed in a fraction of a second.
class LabelPlacer {
public:
    explicit LabelPlacer(const Box& region);

    void addDot(double x, double y, double radius);
    void addSegment(const Segment& segment);
    void addFixed(const Box& box);

    std::vector<std::optional<LabelSpot>> place(const std::vector<LabelRequest>& labels);

private:
    struct Candidate {
        Box box;
        LabelSpot spot;
    };
    static std::vector<Candidate> candidates(const LabelRequest& label);
    // The obstacle that stands in the box's way, other than label `self`:
    // none (-1), a label (its index), or something fixed (-2).
    long blocker(const Box& box, std::size_t self) const;
    bool free(const Box& box, std::size_t self) const { return blocker(box, self) == -1; }
    void addLabel(std::size_t label, const Box& box);
    void removeLabel(std::size_t label);
    bool tryToMoveAside(std::size_t label, const std::vector<LabelRequest>& labels,
                        std::vector<std::optional<LabelSpot>>& spots);

    template <typename F> void forBuckets(const Box& box, F&& each) const;

    Box region_;
    std::vector<Box> boxes_; // dots and fixed texts
    std::vector<Segment> segments_;
    std::vector<std::optional<Box>> labels_; // per label, where placed
    // Per bucket: the boxes (index), segments (-1 - index) and labels
    // (index, in labelBuckets_) that reach into it.
    std::unordered_map<long long, std::vector<long>> buckets_;
    std::unordered_map<long long, std::vector<std::size_t>> labelBuckets_;
};

} // namespace curtis
