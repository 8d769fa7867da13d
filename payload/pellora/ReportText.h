#ifndef PELLORA_REPORTTEXT_H
#define PELLORA_REPORTTEXT_H

// The text of every report: sections headed by "[name]" and one
// "label : value" line per fact, so that both people and scripts read it.

#include <string>

class ReportText {
public:
    void Section(const std::string& name);
    // A fact with an empty value is left out: the source did not know it.
    void Line(const std::string& label, const std::string& value);
    // A line that is shown even when the value is empty.
    void Always(const std::string& label, const std::string& value);
    void Raw(const std::string& text);
    const std::string& Text() const { return m_text; }
    bool Empty() const { return m_text.empty(); }

private:
    std::string m_text;
};

#endif
