// Collects what is written to std::cout while it lives. The library writes its int-cast
// warning there; the tool keeps it out of its own output and reports it as a warning.
#ifndef QUENDEL_INSPECT_REPORT_STDOUTCAPTURE_H
#define QUENDEL_INSPECT_REPORT_STDOUTCAPTURE_H

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

class StdoutCapture {
  public:
    StdoutCapture() : m_previous(std::cout.rdbuf(m_buffer.rdbuf())) {}
    ~StdoutCapture() { std::cout.rdbuf(m_previous); }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream in(m_buffer.str());
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

  private:
    std::ostringstream m_buffer;
    std::streambuf* m_previous;
};

#endif
