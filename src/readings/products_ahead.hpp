#pragma once

#include "chart/chart_plan.hpp"
#include "chart/printed_chart.hpp"
#include "readings/chain_algebra.hpp"
#include "readings/table_chains.hpp"
#include "table/computation.hpp"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <tuple>

namespace curtis {

// The chart's products by h_i, read while its higher degrees are still
// being computed: the product of a class of degree t by h_i as soon as
// degree t + 2^i is computed, on a thread of its own at the lowest priority,
// so that it takes the time the computation's workers leave idle and hardly
// any of theirs. Only final levels are read: a computed degree's, and those
// of the degrees below it, which the computation no longer writes.
// addProducts reads whatever was not read ahead.
//
// Nothing is read ahead when the chart has no products by h_i, when it is
// to run on one thread, or when no thread can be started.
class ProductsAhead {
public:
    ProductsAhead(const Computation& computation, const ChartPlan& plan);
    ~ProductsAhead();
    ProductsAhead(const ProductsAhead&) = delete;
    ProductsAhead& operator=(const ProductsAhead&) = delete;

    // Degree degree.t of the chart is computed, with every degree below
    // it: its classes are read once their products' degrees are, and the
    // products waiting for this degree are read now. Called on one thread,
    // for the chart's degrees in increasing order.
    void computed(const PrintedDegree& degree);
    // Takes no more products: the one being read is finished, on the
    // thread's own time. The tables must not change until stop.
    void finishReading();
    // Stops reading, after the product being read; what was read stays.
    void stop();

    // The product of class `record` of level k of degree t by h_i, if it
    // has been read ahead (a failed reading is not kept); if it is being
    // read, once it is. The products are read in the order they become
    // readable; a product found stays.
    const ClassTerms* find(std::int32_t t, int k, std::int32_t record, int i) const;
    // The survivors' cycles the products read ahead built.
    const std::shared_ptr<SurvivorCycles>& cycles() const { return cycles_; }

private:
    using Key = std::tuple<std::int32_t, int, std::int32_t, int>; // t, k, record, i
    void read();

    const Computation& computation_;
    const ChartPlan& plan_;
    std::shared_ptr<SurvivorCycles> cycles_ = std::make_shared<SurvivorCycles>();
    // Products whose degree is not computed yet, by that degree.
    std::multimap<std::int32_t, Key> waiting_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    mutable std::condition_variable done_; // a product was read
    std::deque<Key> ready_;                // products whose levels are all final
    std::optional<Key> reading_;           // the product being read
    bool stopping_ = false;
    std::map<Key, ClassTerms> read_;
    // Last: stopped before anything it uses goes.
    std::thread reader_;
};

} // namespace curtis
