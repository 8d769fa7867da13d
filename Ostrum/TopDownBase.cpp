#include "TopDownBase.h"

#include "Logger.h"

namespace {
Logger log;
}  // namespace

TopDownBase::TopDownBase(int pid, std::string cpu, ParamMap params, const TopDownDesc& events, TopDownTrees trees)
    : Ostrum(pid, std::move(cpu), std::move(params)), m_events(events), m_trees(trees)
{
    log.Log(DEBUG, "TopDownBase.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    m_perfEvents = GetPerfEvents();
    m_leftWidht = TopDownEngine::kLeftWidth;
    m_frontendBound = 0;
    m_badSpeculationBound = 0;
    m_retiringBound = 0;
    // A measured process is followed on whatever CPU its threads run.
    if (m_pid != -1) {
        m_cpuIntVec = {-1};
    }
    m_fdMaxCount = static_cast<int>(m_perfEvents.size() * m_pidSet.size() * m_cpuIntVec.size());
}

PerfEventVec TopDownBase::GetPerfEvents()
{
    log.Log(DEBUG, "TopDownBase.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    m_topDownDesc = m_events;
    return TopDownEngine::RawEvents(m_topDownDesc);
}

std::string TopDownBase::GetPrintStr(PerfEventVec, int)
{
    log.Log(DEBUG, "TopDownBase.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    if (m_perfCountResMap.empty()) {
        TopDownEngine::ReportEmpty();
        return "";
    }
    Evaluate(m_perfEvents);
    auto line = [this](int level, std::string desc, double value, int flag) {
        return PrintLine(level, desc, value, flag);
    };
    return TopDownEngine::Frame(m_leftWidht, m_pid, m_cpuStr, m_topDownMap, line,
                                {_GetFrontendBoundPrintStr(), _GetBadSpeculationBoundPrintStr(),
                                 _GetRetiringBoundPrintStr(), _GetBackendBoundPrintStr()});
}

void TopDownBase::Evaluate(const PerfEventVec& events)
{
    log.Log(DEBUG, "TopDownBase.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownEngine::Fill(m_topDownMap, events, m_perfCountResMap);
    // Each group works on a copy taken just before it runs.
    _GetFrontendBound(m_topDownMap);
    _GetBadSpeculationBound(m_topDownMap);
    _GetRetiringBound(m_topDownMap);
    _GetBackendBound(m_topDownMap);
    TopDownEngine::Clamp(m_topDownMap);
}

double TopDownBase::BackendShare() const
{
    return 1 - m_frontendBound - m_badSpeculationBound - m_retiringBound;
}

std::string TopDownBase::_GetFrontendBoundPrintStr() { return PrintTree(m_trees.frontEnd); }

std::string TopDownBase::_GetBadSpeculationBoundPrintStr() { return PrintTree(m_trees.badSpeculation); }

std::string TopDownBase::_GetRetiringBoundPrintStr() { return PrintTree(m_trees.retiring); }

std::string TopDownBase::_GetBackendBoundPrintStr() { return PrintTree(m_trees.backEnd); }

std::string TopDownBase::PrintTree(const std::vector<TopDownRow>& rows)
{
    log.Log(DEBUG, "TopDownBase.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    return TopDownEngine::Tree(rows, m_topDownMap, [this](int l, std::string d, double v, int f) {
        return PrintLine(l, d, v, f);
    });
}

std::string TopDownBase::PrintLine(int leftBlankLevel, std::string desc, double value, int valueFormatFlag)
{
    return TopDownEngine::Line(m_leftWidht, leftBlankLevel, desc, value, valueFormatFlag);
}
