#pragma once
// CVarnelFile: the project file (".vnp"). A read takes the whole file into plain contents and
// checks them before the open project is touched; only then does the document clear its project
// and take the contents. A save builds the bytes in memory and replaces the file in one step, so
// a failure keeps the last good project (and its video copies) as they were.
//
// The format and the file's reading and writing are core (varnel_file.cpp here); gathering a
// project from the document and giving one to it is the UI's (app/varnel_file.cpp), and only
// SaveWithVideo, Open and ApplyToDocument reach the document.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "logger/data_tree.h"
#include "models/graph_tree.h"
#include "platform/base/file_limit.h"
#include "platform/base/object.h"

class CArchive;
class CVarnelDoc;

// What a project file holds. Node ids are positions + 1; links hold those ids; the saved graphs'
// plots point at the nodes here.
struct ProjectContents {
    struct Branch {
        std::unique_ptr<CDataTreeBrench> node;  // an experiment has no arrays
        bool fittedLine = false;
    };
    double version = 0;
    std::vector<Branch> branches;  // the data branches, then the fitted lines
    int dataBranchCount = 0;
    std::vector<CGraphTreeBrench> graphs;
    // Clear when a saved table that did not parse ended the reading before the display modes.
    bool hasDisplayModes = false;
    LONG displayModes[5] = {};  // data map, graph, table, third window, workbook
    LONG scrollRun = 0;
};

// What a save writes: the document's own nodes, in file order.
struct ProjectImage {
    std::vector<const CDataTreeBrench*> dataBranches;  // experiments, each followed by its data
    std::vector<const CDataTreeBrench*> fittedLines;
    std::vector<const CGraphTreeBrench*> graphs;
    LONG displayModes[5] = {};
    LONG scrollRun = 0;
    // Video names written in place of a data set's own: the copies this save makes.
    std::map<std::string, CString> videoNames;

    // The image of read contents, for writing them again.
    static ProjectImage Of(const ProjectContents& contents);
};

class CVarnelFile : public CObject {
public:
    static constexpr const char* kHeader = "VarnelFile v.1.5";
    static constexpr WORD kNoBranch = 9999;
    static constexpr double kCurrentVersion = 1.5;
    // The format's counts are 16-bit signed.
    static constexpr int kMaxCount = 32767;
    // Far beyond any real project: a larger file would take more memory than it could be worth.
    static inline platform::FileSizeLimit s_fileLimit{1ull << 30};

    enum class SaveResult { written, nothingToWrite, failed };

    explicit CVarnelFile(CVarnelDoc* doc = nullptr) : m_doc(doc) {}

    // Gathers the document's project, copies the run videos that need it, and writes the file.
    SaveResult SaveWithVideo(const CString& path, const CString& previousFolder, bool copyVideos);
    // Reads the file; true when a project was read and taken by the document, which then shows
    // it by its display modes. A file that cannot be read, is larger than the limit or needs
    // more memory than there is leaves the document as it was.
    bool Open(const CString& path);

    // Writes `m_image` to the file, with copies of the run videos that need one beside it (their
    // names go to `m_image.videoNames`); a failure leaves the file and the old copies as they were.
    SaveResult Save(const CString& path, const CString& previousFolder, bool copyVideos);
    // Reads the file into `m_contents`; false when it cannot be read or is no project, is larger
    // than the limit or needs more memory than there is.
    bool Load(const CString& path);

    // The layout, in both directions: storing writes `m_image`, loading fills `m_contents`. A
    // load throws CArchiveException for anything the file cannot hold; video names are checked
    // against `m_folder` (empty: every video name is dropped).
    void Serialize(CArchive& ar) override;

    // The bytes of a project.
    static std::vector<BYTE> BuildBytes(const ProjectImage& image);
    // Reads bytes into contents; false (contents undefined) when they are no project.
    static bool ReadBytes(const std::vector<BYTE>& bytes, const CString& folder,
                          ProjectContents& contents);

    // Deletes "<prefix> <digits>.wmv" in the folder; returns how many went.
    static int DeleteOldVideos(const CString& folder, const CString& prefix);

    ProjectImage m_image;
    ProjectContents m_contents;
    CString m_path;
    CString m_folder;  // the project folder, with its trailing separator

private:
    void WriteDataBranch(CArchive& ar, const CDataTreeBrench& dataSet) const;
    void ReadDataBranch(CArchive& ar, CDataTreeBrench& dataSet) const;
    void WriteAnnotations(CArchive& ar, const CDataTreeBrench& dataSet) const;
    void ReadAnnotations(CArchive& ar, CDataTreeBrench& dataSet) const;
    // Reads the saved tables' records through; false when one does not parse.
    static bool SkipTables(CArchive& ar, int count);
    WORD IndexOfBranch(DWORD id) const;
    // Turns the links' positions into ids, or drops a data set's links when any is unsound.
    void ResolveLinks(CDataTreeBrench& dataSet) const;
    // A fitted line is drawn, shared and converted as the data it fits: it takes that data's
    // model, sensor and input from its link to it, when it has one.
    void TakeSourceSensor(CDataTreeBrench& fit) const;
    // The document takes the contents; the file's display modes are brought into range.
    bool ApplyToDocument();

    CVarnelDoc* m_doc;
    std::map<DWORD, WORD> m_positions;  // id -> position, while storing
};
