#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QtGlobal>

// How far the running command has got: what it does, to which list, how much of it is done and
// of how much. A command's steps set it, cheaply enough to do so every row; the window reads it
// a few times a second for its progress line and the taskbar, and never between.
class Progress : public QObject
{
    Q_OBJECT
public:
    enum class Work {
        None,
        Scanning, // a folder scan: folders read and files found
        Reading,  // a list file's rows
        Checking, // the size check: rows done of the file list's
        Saving,   // the text or workbook export: rows written of the results'
        Copying,  // the clipboard copy: rows copied of the results'
    };
    // The list the work fills or reads, over which its progress shows.
    enum class Place { FileList, Results };

    struct State
    {
        Work work = Work::None;
        Place place = Place::FileList;
        qint64 done = 0;
        qint64 total = 0; // 0 when not known ahead
        qint64 folders = 0;
    };

    // One command's work, for as long as it lives. A command that runs inside another puts the
    // outer one's back when it ends.
    //
    //     Progress::Stage stage(events.progress(), Progress::Work::Checking,
    //                           Progress::Place::Results, last);
    class Stage
    {
    public:
        Stage(Progress& progress, Work work, Place place, qint64 total = 0);
        ~Stage();
        Stage(const Stage&) = delete;
        Stage& operator=(const Stage&) = delete;

    private:
        Progress& progress_;
        State outer_;
        qint64 outerStart_;
    };

    void setDone(qint64 done) { state_.done = done; }
    void setFolders(qint64 folders) { state_.folders = folders; }
    void setTotal(qint64 total) { state_.total = total; }

    const State& state() const { return state_; }
    bool running() const { return state_.work != Work::None; }
    // Milliseconds since the work under way began.
    qint64 elapsedMs() const { return clock_.elapsed() - startMs_; }

    // The work that ended last was stopped by the user: says so to whoever shows it.
    void reportStopped() { emit stopped(last_); }

signals:
    // Work began where none ran: a reader may start looking.
    void begun();
    // The outermost work ended, as `last` shows it.
    void ended(const Progress::State& last);
    // The work that ended last, as `last` shows it, was stopped by the user.
    void stopped(const Progress::State& last);

private:
    State state_;
    State last_;
    QElapsedTimer clock_;
    qint64 startMs_ = 0;
};
