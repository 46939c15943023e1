#pragma once

#include "base/Message.h"
#include "engine/FolderCopyObserver.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace zdr::test {

// Records every engine event as one line ("FileStart a.txt 5") in order, and
// the protocol entries the engine sends. onEvent runs after each record, so
// a test can act in the middle of a run (cancel, remove files).
class EngineRecorder : public engine::FolderCopyObserver {
public:
    std::vector<std::string> events;
    std::vector<protocol::ProtocolEntry> added;
    std::vector<protocol::ProtocolEntry> errors;
    std::function<void(const std::string&)> onEvent;
    bool showAnswer = true;                      // answer to ActionProtocolShow
    std::deque<protocol::WorkListStep> workList; // answers to ActionEntryGetNext

    std::vector<std::string> only(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const std::string& e : events)
            if (e.rfind(prefix, 0) == 0)
                out.push_back(e);
        return out;
    }

    void ActionStart(const std::string& a) override { note("Start " + a); }
    void ActionInfo(const std::string& t) override { note("Info " + t); }
    void ActionStartAufgabe(const std::string& a, std::int32_t i, std::int32_t n, std::uint8_t kind) override
    {
        note("Aufgabe " + a + " " + std::to_string(i) + "/" + std::to_string(n) + " " + std::to_string(kind));
    }
    void ActionFolderSet(const std::string& p) override { note("FolderSet " + p); }
    void ActionFolderStart(const std::string& p) override { note("FolderStart " + p); }
    void ActionFolderDone() override { note("FolderDone"); }
    void ActionFolderNot(std::int32_t c) override { note("FolderNot " + std::to_string(c)); }
    void ActionFileStart(const std::string& n, std::int64_t s) override
    {
        note("FileStart " + n + " " + std::to_string(s));
    }
    void ActionFileDone() override { note("FileDone"); }
    void ActionFileNot(std::int32_t c) override { note("FileNot " + std::to_string(c)); }
    void ActionReady(bool ok, const std::string& m, bool p) override
    {
        note(std::string("Ready ") + (ok ? "true" : "false") + " '" + m + "' " + (p ? "protocol" : "none"));
    }
    void ActionProtocolExists() override { note("ProtocolExists"); }
    void ActionProtocolAdd(const protocol::ProtocolEntry& e) override
    {
        added.push_back(e);
        note("ProtocolAdd " + e.par_Type);
    }
    void ActionProtocolErr(const protocol::ProtocolEntry& e) override
    {
        errors.push_back(e);
        note("ProtocolErr " + e.par_Type);
    }
    void ActionProtocolDel(const std::string& p) override { note("ProtocolDel " + p); }
    void ActionProtocolShow(bool& goOn) override
    {
        note(std::string("ProtocolShow ") + (goOn ? "true" : "false"));
        goOn = showAnswer;
    }
    void ActionFolderEntriesInfo(const std::string& p, std::int64_t kb, std::int64_t folders,
                                 std::int64_t files) override
    {
        note("EntriesInfo " + p + " " + std::to_string(kb) + " " + std::to_string(folders) + " "
             + std::to_string(files));
    }
    void ActionEntryGetNext(protocol::WorkListStep& step) override
    {
        note("EntryGetNext " + step.direction + " " + step.action);
        if (workList.empty()) {
            step.index = -1;
            return;
        }
        step = workList.front();
        workList.pop_front();
    }

private:
    void note(std::string line)
    {
        events.push_back(std::move(line));
        if (onEvent)
            onEvent(events.back());
    }
};

// Answers the engine's message boxes from a list and keeps what they said;
// unscripted boxes get OK (or Cancel when OK is not offered).
class ScriptedQuestioner : public base::Questioner {
public:
    std::vector<base::MessageRequest> asked;
    std::deque<base::Answer> answers;

    base::Answer ask(const base::MessageRequest& r) override
    {
        asked.push_back(r);
        if (!answers.empty()) {
            const base::Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return r.buttons == base::Buttons::Ok ? base::Answer::Ok : base::Answer::Cancel;
    }
};

} // namespace zdr::test
