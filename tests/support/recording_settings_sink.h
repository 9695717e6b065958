#pragma once

#include "app/settings_file.h"

#include <string>
#include <vector>

namespace cadenzo::test {

struct RecordingSink : SettingsSink {
    std::vector<std::string> log;
    void Add(const std::string& what, std::int64_t v) { log.push_back(what + std::to_string(v)); }
    void setSeqBtnGroup(std::int32_t v) override { Add("SeqBtn ", v); }
    void setWindowTop(std::int32_t v) override { Add("top ", v); }
    void setWindowLeft(std::int32_t v) override { Add("left ", v); }
    void setWindowWidth(std::int32_t v) override { Add("width ", v); }
    void setWindowHeight(std::int32_t v) override { Add("height ", v); }
    void applyColorScheme(std::int32_t a, std::int32_t, std::int32_t, std::int32_t,
                          std::int32_t e) override {
        Add("colours " + std::to_string(a) + "..", e);
    }
    void setMidiChannel(std::uint8_t v) override { Add("channel ", v); }
    void setMidiProgram(std::uint8_t v) override { Add("program ", v); }
    void setMidiVelocity(std::uint8_t v) override { Add("velocity ", v); }
    void setMidiDevice(std::uint8_t v, const std::string& n) override { Add("device " + n, v); }
    void checkPlayOnSetting() override { log.push_back("Playonsetting1"); }
    void checkStayOnTop() override { log.push_back("Stayontop1"); }
    void checkChordSearch() override { log.push_back("ChordSe1"); }
    void setRollPrintMode(std::int32_t v) override { Add("roll ", v); }
    void setTuning(int s, std::uint8_t v) override { Add("tuning" + std::to_string(s) + " ", v); }
    void setSeqPane(std::int32_t v) override { Add("SetSeqPane ", v); }
};

} // namespace cadenzo::test
