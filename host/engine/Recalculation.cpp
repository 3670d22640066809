// A recalculation: the thread-safe formulas on Excel's recalculation
// threads, the cluster-safe ones on the cluster connector's nodes.
#include "ArgumentPassing.h"
#include "ClusterNode.h"
#include "Engine.h"
#include "EngineState.h"
#include "ModulePath.h"
#include "ShownResult.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <thread>
#include <utility>

namespace xlhost {

namespace {

// What a cluster node runs: the node program beside the host executable.
std::string NodeProgram() {
    const std::string executable = ExecutablePath();
    return executable.substr(0, executable.find_last_of("\\/") + 1) + "xlnode.exe";
}

} // namespace

Grid Engine::EvaluateOnNode(ClusterNode& node, const FormulaCall& formula) {
    const Registration* registration =
        CallableFunction(formula.functionText, formula.arguments.size());
    const TypeText& type = registration->parsedType;
    const PassedArguments converter(state_->sheet);
    std::vector<Value> arguments;
    for (std::size_t i = 0; i < type.arguments.size(); ++i) {
        Cell shown;
        const FormulaArgument argument =
            i < formula.arguments.size() ? formula.arguments[i] : FormulaArgument::Omitted();
        arguments.emplace_back();
        if (!converter.Convert(type.arguments[i], argument, arguments.back(), shown)) {
            return Grid::Single(shown);
        }
    }
    NodeAnswer answer = node.Call(*registration, arguments);
    if (answer.release != NodeAnswer::Release::NotMarked) {
        const std::lock_guard<std::mutex> lock(state_->mutex);
        ++(answer.release == NodeAnswer::Release::HandedBack
               ? state_->clusterResultsHandedBack
               : state_->clusterResultsWithoutAutoFree);
    }
    return ShownGrid(*state_, std::move(answer.returned));
}

void Engine::Recalculate(const std::vector<FormulaCall>& formulas, int threads,
                         const FormulaFinished& finished, int clusterNodes,
                         std::chrono::milliseconds nodeTimeLimit) {
    if (threads < 1 || threads > MaxThreads) {
        throw std::invalid_argument("a recalculation takes 1 to " + std::to_string(MaxThreads) +
                                    " threads");
    }
    if (clusterNodes < 0 || clusterNodes > MaxClusterNodes) {
        throw std::invalid_argument("a recalculation takes 0 to " +
                                    std::to_string(MaxClusterNodes) + " cluster nodes");
    }
    if (nodeTimeLimit.count() < 1 || nodeTimeLimit > MaxNodeTimeLimit) {
        throw std::invalid_argument("a cluster node's time limit is 1 ms to 24 hours");
    }
    // Made here, by the thread that outlives the workers: a window dies with
    // the thread that made it.
    MainWindow();
    std::vector<std::size_t> offloaded;
    std::vector<std::size_t> concurrent;
    std::vector<std::size_t> onMainThread;
    for (std::size_t i = 0; i < formulas.size(); ++i) {
        const Registration* registration = FindFunction(formulas[i].functionText);
        const bool clusterSafe =
            clusterNodes > 0 && registration != nullptr && registration->parsedType.clusterSafe;
        const bool threadSafe = registration != nullptr && registration->parsedType.threadSafe;
        (clusterSafe ? offloaded : threadSafe ? concurrent : onMainThread).push_back(i);
    }
    const auto evaluate = [&](std::size_t index, ClusterNode* node) {
        Grid result;
        std::exception_ptr failure;
        try {
            result = node != nullptr
                         ? EvaluateOnNode(*node, formulas[index])
                         : EvaluateFormula(formulas[index].functionText, formulas[index].arguments);
        } catch (...) {
            failure = std::current_exception();
        }
        finished(index, std::move(result), failure);
    };
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t k = next++; k < concurrent.size(); k = next++) {
            evaluate(concurrent[k], nullptr);
        }
        MessageBoxes::Unhook();
    };
    std::atomic<std::size_t> nextOffloaded{0};
    const std::string nodeProgram = NodeProgram();
    const auto offload = [&](int number) {
        ClusterNode node(number, nodeProgram, nodeTimeLimit);
        for (std::size_t k = nextOffloaded++; k < offloaded.size(); k = nextOffloaded++) {
            evaluate(offloaded[k], &node);
        }
        node.Stop();
        const std::lock_guard<std::mutex> lock(state_->mutex);
        state_->clusterNodesEnded += node.Ended();
    };
    std::vector<std::thread> workers;
    const std::size_t workerCount = std::min<std::size_t>(threads, concurrent.size());
    for (std::size_t t = 0; t < workerCount; ++t) {
        workers.emplace_back(work);
    }
    const std::size_t nodeCount = std::min<std::size_t>(clusterNodes, offloaded.size());
    for (std::size_t n = 1; n <= nodeCount; ++n) {
        workers.emplace_back(offload, static_cast<int>(n));
    }
    for (std::size_t index : onMainThread) {
        evaluate(index, nullptr);
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
}

} // namespace xlhost
