#include "ReportText.h"

void ReportText::Section(const std::string& name)
{
    if (!m_text.empty()) {
        m_text += "\n";
    }
    m_text += "[" + name + "]\n";
}

void ReportText::Line(const std::string& label, const std::string& value)
{
    if (!value.empty()) {
        Always(label, value);
    }
}

void ReportText::Always(const std::string& label, const std::string& value)
{
    m_text += label + " : " + value + "\n";
}

void ReportText::Raw(const std::string& text)
{
    m_text += text;
    if (!text.empty() && text.back() != '\n') {
        m_text += "\n";
    }
}
