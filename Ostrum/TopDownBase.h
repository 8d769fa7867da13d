#ifndef OSTRUM_TOPDOWN_BASE_H
#define OSTRUM_TOPDOWN_BASE_H

// The collector every top-down model is: its counters (one raw core event per
// row of the model's event table, a measured process followed on any CPU),
// the period's evaluation (fill the model map, the four formula groups each
// on a copy taken just before it runs, the clamp) and the report (the frame
// around the model's four trees).
//
// A model class hands its event table and report trees to the constructor
// and implements the four formula groups.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Ostrum.h"
#include "TopDownEngine.h"

// The report trees of a model, in report order.
struct TopDownTrees {
    const std::vector<TopDownRow>& frontEnd;
    const std::vector<TopDownRow>& badSpeculation;
    const std::vector<TopDownRow>& retiring;
    const std::vector<TopDownRow>& backEnd;
};

class TopDownBase : public Ostrum {
public:
    // events and the trees must outlive the collector.
    TopDownBase(int pid, std::string cpu, ParamMap params, const TopDownDesc& events, TopDownTrees trees);

    PerfEventVec GetPerfEvents() override;
    std::string GetPrintStr(PerfEventVec events, int interval) override;

    virtual void _GetFrontendBound(std::map<std::string, double> topDownMap) = 0;
    virtual void _GetBadSpeculationBound(std::map<std::string, double> topDownMap) = 0;
    virtual void _GetRetiringBound(std::map<std::string, double> topDownMap) = 0;
    virtual void _GetBackendBound(std::map<std::string, double> topDownMap) = 0;

    std::string _GetFrontendBoundPrintStr();
    std::string _GetBadSpeculationBoundPrintStr();
    std::string _GetRetiringBoundPrintStr();
    std::string _GetBackendBoundPrintStr();

    int m_leftWidht = 48;
    std::vector<std::pair<std::string, int>> m_topDownDesc;
    std::map<std::string, double> m_topDownMap;
    double m_frontendBound = 0;
    double m_badSpeculationBound = 0;
    double m_retiringBound = 0;

protected:
    // Fills the model map from the period's counts, runs the four groups and
    // clamps.
    void Evaluate(const PerfEventVec& events);

    // Back-End Bound: the slots left by the other three bounds as computed,
    // before the clamp.
    double BackendShare() const;

    // One report line of this model.
    std::string PrintLine(int leftBlankLevel, std::string desc, double value, int valueFormatFlag);

private:
    std::string PrintTree(const std::vector<TopDownRow>& rows);

    const TopDownDesc& m_events;
    TopDownTrees m_trees;
};

#endif
