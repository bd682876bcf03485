#include "readings/products_ahead.hpp"

#include "readings/products.hpp"
#include "system/thread_priority.hpp"

#include <system_error>

namespace curtis {

ProductsAhead::ProductsAhead(const Computation& computation, const ChartPlan& plan)
    : computation_(computation), plan_(plan) {
    if (!plan.readings.products || plan.readings.unstable || plan.readings.productFactors.empty() ||
        computation.settings().threads < 2) {
        return;
    }
    try {
        reader_ = std::thread([this] { read(); });
    } catch (const std::system_error&) {
        // No thread to be had: addProducts reads every product.
    }
}

ProductsAhead::~ProductsAhead() {
    stop();
}

void ProductsAhead::computed(const PrintedDegree& degree) {
    if (!reader_.joinable()) {
        return;
    }
    const std::int32_t t = degree.t;
    for (const PrintedLevel& level : degree.levels) {
        const int k = level.at.k();
        for (const ChartClass& c : level.classes) {
            for (const int i : plan_.readings.productFactors) {
                const std::int32_t target = t + (std::int32_t{1} << i);
                if (plan_.productShown(t, i) && k + 1 < computation_.finalLevels(target)) {
                    waiting_.emplace(target, Key{t, k, c.record, i});
                }
            }
        }
    }
    // Now readable: the products into this degree and the ones below.
    const auto end = waiting_.upper_bound(t);
    {
        const std::lock_guard lock(mutex_);
        for (auto product = waiting_.begin(); product != end; ++product) {
            ready_.push_back(product->second);
        }
    }
    waiting_.erase(waiting_.begin(), end);
    wake_.notify_one();
}

void ProductsAhead::finishReading() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
}

void ProductsAhead::stop() {
    finishReading();
    if (reader_.joinable()) {
        reader_.join();
    }
}

const ClassTerms* ProductsAhead::find(std::int32_t t, int k, std::int32_t record, int i) const {
    const Key key{t, k, record, i};
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return reading_ != key; });
    const auto found = read_.find(key);
    return found == read_.end() ? nullptr : &found->second;
}

void ProductsAhead::read() {
    lowerThreadPriority();
    try {
        ChainAlgebra algebra(computation_, cycles_);
        Products products(algebra);
        const CurtisTable& table = computation_.table();
        for (;;) {
            Key next;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !ready_.empty(); });
                if (stopping_) {
                    return;
                }
                next = ready_.front();
                ready_.pop_front();
                reading_ = next;
            }
            const auto [t, k, record, i] = next;
            ChainResult<ClassTerms> terms =
                products.product(t, k, table.kept(t, k).word(record), i);
            {
                const std::lock_guard lock(mutex_);
                if (terms) {
                    read_.emplace(next, std::move(*terms));
                }
                reading_.reset();
            }
            done_.notify_all();
        }
    } catch (...) {
        // What failed is read again by addProducts, which reports it.
    }
    {
        const std::lock_guard lock(mutex_);
        reading_.reset();
    }
    done_.notify_all();
}

} // namespace curtis
