// A scripted window for the editing modes: answers questions and dialogs from queues,
// applies each step's change to its own model and keeps an undo stack as the window does.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "edit/edit_modes.h"
#include "edit/undo_stack.h"

namespace keltora::test {

class ScriptedHost : public EditHost {
  public:
    std::deque<bool> answers; // Yes / No, in order; an unexpected question fails
    std::vector<std::string> questions;
    std::vector<Marks> questionMarks;
    // Fills the request and returns whether the dialog was confirmed.
    std::function<bool(DialogRequest&)> dialog;
    std::vector<DialogKind> dialogs;

    bool confirm(const std::string& question, const Marks& marks) override
    {
        questions.push_back(question);
        questionMarks.push_back(marks);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << question;
            return false;
        }
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    bool openDialog(DialogRequest& r, const Marks&) override
    {
        dialogs.push_back(r.kind);
        if (!dialog) {
            ADD_FAILURE() << "unexpected dialog";
            return false;
        }
        return dialog(r);
    }
};

struct EditBench {
    std::unique_ptr<SlopeModel> model = std::make_unique<SlopeModel>();
    std::vector<SafetyLabel> labels;
    bool withLabels = false;
    ScriptedHost host;
    EditController edit{host};
    UndoStack undo;
    std::vector<Message> messages;

    EditBench() { resetModel(*model); }

    const std::vector<SafetyLabel>* labelList() const { return withLabels ? &labels : nullptr; }

    void apply(EditOutcome out)
    {
        for (;;) {
            if (out.change) {
                SlopeModel before = *model;
                if (applyOutcome(*model, out)) undo.push(out.undoText, out.effect, before, *model);
            }
            if (out.labelChange) out.labelChange(labels);
            if (out.message) messages.push_back(*out.message);
            if (!out.resume) break;
            out = edit.resume(*model, labelList());
        }
    }
    void left(double x, double y) { apply(edit.leftClick(*model, labelList(), {x, y})); }
    void right() { apply(edit.rightClick(*model, labelList(), {0, 0})); }
    void xy() { apply(edit.xyButton(*model, labelList())); }
    void enter(int mode) { edit.enterMode(mode); }

    int point(double x, double y) { return *addPoint(*model, x, y); }
    int line(int a, int b, int kind = kBoundaryLine) { return *addLine(*model, kind, a, b); }
    const TerrainLine& lineAt(int i) const { return model->lines[static_cast<size_t>(i)]; }
    const TerrainPoint& pointAt(int i) const { return model->points[static_cast<size_t>(i)]; }
    // The used lines as "kind:start-end" in slot order.
    std::vector<std::string> lines() const
    {
        std::vector<std::string> v;
        for (int i = 0; i < model->lineCount; ++i) {
            const TerrainLine& l = lineAt(i);
            if (l.kind >= 0)
                v.push_back(std::to_string(l.kind) + ":" + std::to_string(l.startPoint) + "-" +
                            std::to_string(l.endPoint));
        }
        return v;
    }
};

} // namespace keltora::test
