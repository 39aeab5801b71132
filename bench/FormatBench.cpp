// Amounts and dates formatted by our own code next to Qt's locale
// formatting of the same values, in the same run. Prints how many times
// faster ours is (a ratio of at least 1.0 is the target).
#include "DateTime.h"
#include "FormatDate.h"
#include "FormatNumber.h"
#include "RegionalSettings.h"

#include <QDate>
#include <QLocale>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

const QString kAmountPattern = QStringLiteral("###,###,##0.00 ;###,###,##0.00 -; ");
const QString kDatePattern = QStringLiteral("dd/mm/yyyy");
constexpr std::size_t kCount = 4096;

// Amounts as the balance report has them: fixed-point totals of cents
// divided by 10000 in extended precision, both signs, up to ten million.
const std::vector<long double>& Amounts() {
    static const std::vector<long double> amounts = [] {
        std::mt19937_64 random(42);
        std::vector<long double> values;
        for (std::size_t i = 0; i < kCount; ++i) {
            const auto cents = static_cast<std::int64_t>(random() % 2000000000) - 1000000000;
            values.push_back(static_cast<long double>(cents * 100) / 10000.0L);
        }
        return values;
    }();
    return amounts;
}

const std::vector<double>& Dates() {
    static const std::vector<double> dates = [] {
        std::mt19937_64 random(7);
        std::vector<double> values;
        for (std::size_t i = 0; i < kCount; ++i) {
            values.push_back(DateTime::EncodeDate(2000, 1, 1) +
                             static_cast<double>(random() % 9000));
        }
        return values;
    }();
    return dates;
}

void OurAmounts(benchmark::State& state) {
    const std::vector<long double>& amounts = Amounts();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatNumberText(kAmountPattern, amounts[i++ % kCount]));
    }
}

void OurFixedAmounts(benchmark::State& state) {
    const std::vector<long double>& amounts = Amounts();
    std::size_t i = 0;
    for (auto _ : state) {
        const auto fixed = static_cast<std::int64_t>(amounts[i++ % kCount] * 10000);
        benchmark::DoNotOptimize(FormatFixedText(kAmountPattern, fixed));
    }
}

void QtAmounts(benchmark::State& state) {
    const std::vector<long double>& amounts = Amounts();
    const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            locale.toString(static_cast<double>(amounts[i++ % kCount]), 'f', 2));
    }
}

void OurDates(benchmark::State& state) {
    const std::vector<double>& dates = Dates();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatDateText(kDatePattern, dates[i++ % kCount]));
    }
}

void QtDates(benchmark::State& state) {
    std::vector<QDate> dates;
    for (double value : Dates()) {
        dates.push_back(QDate(1899, 12, 30).addDays(static_cast<qint64>(value)));
    }
    const QString format = QStringLiteral("dd/MM/yyyy");
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dates[i++ % kCount].toString(format));
    }
}

// The machine is shared: medians of several repetitions steady the ratios.
BENCHMARK(OurAmounts)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(OurFixedAmounts)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(QtAmounts)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(OurDates)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(QtDates)->Repetitions(5)->ReportAggregatesOnly(true);

// Keeps the console output and remembers each benchmark's median CPU time
// per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times_[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
    }

    void PrintRatio(const char* what, const std::string& ours, const std::string& peer) const {
        const auto o = times_.find(ours);
        const auto p = times_.find(peer);
        if (o == times_.end() || p == times_.end() || o->second <= 0) {
            return;
        }
        std::printf("ratio %-44s %.2f (peer %.1f ns / ours %.1f ns)\n", what, p->second / o->second,
                    p->second, o->second);
    }

private:
    std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char** argv) {
    RegionalSettings::SetCurrent(
        RegionalSettings::FromLocale(QLocale(QLocale::Portuguese, QLocale::Brazil)));
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("FormatNumberText vs QLocale::toString", "OurAmounts", "QtAmounts");
    reporter.PrintRatio("FormatFixedText vs QLocale::toString", "OurFixedAmounts", "QtAmounts");
    reporter.PrintRatio("FormatDateText vs QDate::toString", "OurDates", "QtDates");
    benchmark::Shutdown();
    return 0;
}
