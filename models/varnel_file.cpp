#include "models/varnel_file.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cstdlib>
#include <new>

#include "logger/helpers.h"
#include "models/table_tree.h"
#include "platform/base/archive.h"
#include "platform/base/file.h"
#include "platform/base/log.h"

namespace {

constexpr LONG kExperimentKind = 1;
constexpr LONG kDataSetKind = 0;
// The least an annotation takes in the file: two doubles, two integers, an empty caption.
constexpr ULONGLONG kAnnotationBytes = 8 + 4 + 4 + 8 + 1;

[[noreturn]] void Refuse(const char* what) {
    throw CArchiveException(CArchiveException::badSchema, what);
}

SHORT CheckedCount(size_t count) {
    if (count > static_cast<size_t>(CVarnelFile::kMaxCount))
        throw CArchiveException(CArchiveException::badIndex, "too many records for the format");
    return static_cast<SHORT>(count);
}

double FahrenheitToCelsius(double v) {
    return (v - 32.0) * 5.0 / 9.0;
}

}  // namespace

ProjectImage ProjectImage::Of(const ProjectContents& contents) {
    ProjectImage image;
    for (const ProjectContents::Branch& b : contents.branches)
        (b.fittedLine ? image.fittedLines : image.dataBranches).push_back(b.node.get());
    for (const CGraphTreeBrench& g : contents.graphs)
        image.graphs.push_back(&g);
    std::copy(std::begin(contents.displayModes), std::end(contents.displayModes),
              image.displayModes);
    image.scrollRun = contents.scrollRun;
    return image;
}

// ---- the layout

void CVarnelFile::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        m_positions.clear();
        WORD position = 0;
        for (const CDataTreeBrench* b : m_image.dataBranches)
            m_positions[b->m_id] = position++;
        for (const CDataTreeBrench* b : m_image.fittedLines)
            m_positions[b->m_id] = position++;

        ar << CString(kHeader);
        ar << CheckedCount(m_image.dataBranches.size());
        for (const CDataTreeBrench* b : m_image.dataBranches) {
            if (b->IsExperiment()) {
                ar << kExperimentKind << b->m_name;
                ar.WriteCount(b->m_experimentTexts.size());
                for (const CString& text : b->m_experimentTexts)
                    ar << text;
            } else {
                ar << kDataSetKind;
                WriteDataBranch(ar, *b);
            }
        }
        ar << CheckedCount(m_image.fittedLines.size());
        for (const CDataTreeBrench* b : m_image.fittedLines)
            WriteDataBranch(ar, *b);
        ar << CheckedCount(m_image.graphs.size());
        for (const CGraphTreeBrench* g : m_image.graphs)
            ::WriteGraph(ar, *g, [this](const CDataTreeBrench* d) {
                return d ? IndexOfBranch(d->m_id) : kNoBranch;
            });
        ar << SHORT(0);  // saved tables
        for (LONG mode : m_image.displayModes)
            ar << mode;
        ar << m_image.scrollRun;
        return;
    }

    ProjectContents& c = m_contents;
    c = ProjectContents();
    CString header;
    ar >> header;
    if (header.Left(10) != "VarnelFile") Refuse("not a project file");
    if (header.GetLength() > 13) c.version = std::strtod(header.Mid(13).GetString(), nullptr);

    SHORT n;
    ar >> n;
    if (n < 0) Refuse("data branch count");
    bool haveExperiment = false;
    for (int i = 0; i < n; ++i) {
        LONG kind;
        ar >> kind;
        auto node = std::make_unique<CDataTreeBrench>();
        if (kind == kExperimentKind) {
            ar >> node->m_name;
            const size_t texts = ar.ReadCountOf(1);
            for (size_t t = 0; t < texts; ++t) {
                CString text;
                ar >> text;
                node->m_experimentTexts.push_back(text);
            }
            haveExperiment = true;
        } else if (kind == kDataSetKind) {
            if (!haveExperiment) Refuse("a data set before any experiment");
            ReadDataBranch(ar, *node);
            node->m_originCode = 1;
        } else {
            Refuse("branch kind");
        }
        node->m_id = static_cast<DWORD>(c.branches.size() + 1);
        c.branches.push_back({std::move(node), false});
    }
    c.dataBranchCount = n;

    SHORT m;
    ar >> m;
    if (m < 0) Refuse("fitted line count");
    for (int i = 0; i < m; ++i) {
        auto node = std::make_unique<CDataTreeBrench>();
        ReadDataBranch(ar, *node);
        node->m_annotations.clear();
        node->m_originCode = 3;
        node->m_derived = 1;
        node->m_id = static_cast<DWORD>(c.branches.size() + 1);
        c.branches.push_back({std::move(node), true});
    }
    for (ProjectContents::Branch& b : c.branches)
        if (!b.node->IsExperiment()) ResolveLinks(*b.node);
    for (ProjectContents::Branch& b : c.branches)
        if (b.fittedLine) TakeSourceSensor(*b.node);

    SHORT g;
    ar >> g;
    if (g < 0) Refuse("saved graph count");
    std::vector<CDataTreeBrench*> nodes;
    for (ProjectContents::Branch& b : c.branches)
        nodes.push_back(b.node.get());
    for (int i = 0; i < g; ++i) {
        CGraphTreeBrench graph = ::ReadGraph(ar, nodes, c.version > 1.1);
        // A plot of an experiment would have nothing to draw.
        for (PlotRecordStruct& r : graph.m_plots)
            if (r.dataSet && r.dataSet->IsExperiment()) r.dataSet = nullptr;
        if (graph.m_xAxis.dataSet && graph.m_xAxis.dataSet->IsExperiment())
            graph.m_xAxis.dataSet = nullptr;
        c.graphs.push_back(graph);
    }

    SHORT t;
    ar >> t;
    if (t != 0 && !SkipTables(ar, t)) {
        qCWarning(lcDoc) << "a saved table did not parse; the rest of the project is left";
        return;
    }
    for (LONG& mode : c.displayModes)
        ar >> mode;
    ar >> c.scrollRun;
    c.hasDisplayModes = true;
}

void CVarnelFile::WriteDataBranch(CArchive& ar, const CDataTreeBrench& d) const {
    CString video = d.m_videoFile;
    if (!video.IsEmpty()) {
        const auto renamed = m_image.videoNames.find(video.str());
        if (renamed != m_image.videoNames.end()) video = renamed->second;
    }
    ar << d.m_name << d.m_unit << d.m_startTime << static_cast<DWORD>(d.m_colour) << d.m_secondValue
       << d.m_identityValue << video << d.m_rateCode << d.m_rangeMin << d.m_rangeMax
       << d.m_inputKind << d.m_sensorId;
    const SHORT k = std::clamp<SHORT>(d.m_linkCount, 0, CDataTreeBrench::kMaxLinks);
    ar << k;
    for (int i = 0; i < k; ++i)
        ar << IndexOfBranch(d.m_links[i]);
    ar.WriteDoubles(d.m_x ? *d.m_x : CDataArray());
    ar.WriteDoubles(d.m_y ? *d.m_y : CDataArray());
    ar << d.m_comment;
    WriteAnnotations(ar, d);
    ar << d.m_modelCode;
}

void CVarnelFile::ReadDataBranch(CArchive& ar, CDataTreeBrench& d) const {
    const double v = m_contents.version;
    DWORD colour;
    ar >> d.m_name >> d.m_unit >> d.m_startTime >> colour >> d.m_secondValue >> d.m_identityValue >>
        d.m_videoFile >> d.m_rateCode >> d.m_rangeMin >> d.m_rangeMax >> d.m_inputKind;
    d.m_colour = colour;
    if (v > 1.0) ar >> d.m_sensorId;
    WORD k;
    ar >> k;
    ar.EnsureAvailable(2ull * k);
    d.m_linkCount = k <= CDataTreeBrench::kMaxLinks ? static_cast<SHORT>(k) : 0;
    for (WORD i = 0; i < k; ++i) {
        WORD position;
        ar >> position;
        if (i < CDataTreeBrench::kMaxLinks) d.m_links[i] = position;
    }
    if (d.m_linkCount == 0) std::fill(std::begin(d.m_links), std::end(d.m_links), 0);
    d.m_x = std::make_shared<CDataArray>(ar.ReadDoubles());
    d.m_y = std::make_shared<CDataArray>(ar.ReadDoubles());
    if (d.m_x->size() != d.m_y->size()) Refuse("x and y counts differ");
    ar >> d.m_comment;
    if (v > 1.3) ReadAnnotations(ar, d);
    if (v > 1.4) ar >> d.m_modelCode;

    // Only a plain name in the project folder: a path could reach any file.
    if (!d.m_videoFile.IsEmpty() && (d.m_videoFile.FindOneOf("/\\") >= 0 || m_folder.IsEmpty() ||
                                     !CFile::Exists((m_folder + d.m_videoFile).GetString())))
        d.m_videoFile.Empty();
    d.m_videoUnsaved = d.m_videoFile.IsEmpty() ? 1 : 0;

    if (v < 1.5 && IsTemperatureSensor(&d)) {
        d.m_unit =
            "\xC2\xB0"
            "C";
        for (double& y : *d.m_y)
            y = FahrenheitToCelsius(y);
        d.m_rangeMin = FahrenheitToCelsius(d.m_rangeMin);
        d.m_rangeMax = FahrenheitToCelsius(d.m_rangeMax);
    }
}

void CVarnelFile::WriteAnnotations(CArchive& ar, const CDataTreeBrench& d) const {
    ar << static_cast<LONG>(d.m_annotations.size());
    for (const GraphTextAnnotation& a : d.m_annotations)
        ar << a.length << a.pointIndex << a.side << a.directionSlope << a.caption;
}

void CVarnelFile::ReadAnnotations(CArchive& ar, CDataTreeBrench& d) const {
    LONG count;
    ar >> count;
    if (count < 0) Refuse("annotation count");
    ar.EnsureAvailable(kAnnotationBytes * static_cast<ULONGLONG>(count));
    d.m_annotations.resize(static_cast<size_t>(count));
    for (GraphTextAnnotation& a : d.m_annotations)
        ar >> a.length >> a.pointIndex >> a.side >> a.directionSlope >> a.caption;
}

bool CVarnelFile::SkipTables(CArchive& ar, int count) {
    if (count < 0) return false;
    try {
        for (int i = 0; i < count; ++i)
            CTableTreeBrench().Read(ar);
    } catch (const CArchiveException& e) {
        qCWarning(lcDoc) << "saved table:" << e.what();
        return false;
    }
    return true;
}

void CVarnelFile::TakeSourceSensor(CDataTreeBrench& fit) const {
    // Files the Windows program saved again after an open hold 0 for both.
    const auto& branches = m_contents.branches;
    for (int i = 0; i < fit.m_linkCount; ++i) {
        const DWORD id = fit.m_links[i];
        if (id < 1 || id > branches.size() || branches[id - 1].fittedLine) continue;
        const CDataTreeBrench& source = *branches[id - 1].node;
        fit.m_modelCode = source.m_modelCode;
        fit.m_sensorId = source.m_sensorId;
        fit.m_inputKind = source.m_inputKind;
        return;
    }
}

WORD CVarnelFile::IndexOfBranch(DWORD id) const {
    const auto it = m_positions.find(id);
    return it == m_positions.end() ? kNoBranch : it->second;
}

void CVarnelFile::ResolveLinks(CDataTreeBrench& d) const {
    const auto& branches = m_contents.branches;
    bool sound = d.m_linkCount >= 0 && d.m_linkCount <= CDataTreeBrench::kMaxLinks;
    for (int i = 0; sound && i < d.m_linkCount; ++i) {
        const DWORD p = d.m_links[i];
        sound = p != kNoBranch && p < branches.size() && !branches[p].node->IsExperiment();
    }
    if (!sound) {
        d.m_linkCount = 0;
        std::fill(std::begin(d.m_links), std::end(d.m_links), 0);
        return;
    }
    for (int i = 0; i < d.m_linkCount; ++i)
        d.m_links[i] = branches[d.m_links[i]].node->m_id;
}

// ---- bytes

std::vector<BYTE> CVarnelFile::BuildBytes(const ProjectImage& image) {
    CVarnelFile file;
    file.m_image = image;
    // Room for the arrays up front: a project is mostly its samples.
    size_t estimate = 4096;
    for (const auto* list : {&image.dataBranches, &image.fittedLines})
        for (const CDataTreeBrench* d : *list)
            estimate += 512 + 8 * (size_t(d->GetXCount()) + size_t(d->GetYCount()));
    std::vector<BYTE> room;
    room.reserve(estimate + 1024 * image.graphs.size());
    CMemFile memory(std::move(room));
    CArchive ar(&memory, CArchive::store);
    file.Serialize(ar);
    ar.Close();
    return memory.Detach();
}

bool CVarnelFile::ReadBytes(const std::vector<BYTE>& bytes, const CString& folder,
                            ProjectContents& contents) {
    CVarnelFile file;
    file.m_folder = folder;
    try {
        CMemFile memory(bytes);
        CArchive ar(&memory, CArchive::load);
        file.Serialize(ar);
    } catch (const CArchiveException& e) {
        qCDebug(lcDoc) << "not a project:" << e.what();
        return false;
    }
    contents = std::move(file.m_contents);
    return true;
}

// ---- videos

int CVarnelFile::DeleteOldVideos(const CString& folder, const CString& prefix) {
    QDir dir(folder.ToQString());
    const QRegularExpression copy("^" + QRegularExpression::escape(prefix.ToQString()) +
                                  " [0-9]+\\.wmv$");
    int deleted = 0;
    for (const QString& name : dir.entryList(QDir::Files))
        if (copy.match(name).hasMatch() && dir.remove(name)) ++deleted;
    return deleted;
}

// ---- the file

CVarnelFile::SaveResult CVarnelFile::Save(const CString& path, const CString& previousFolder,
                                          bool copyVideos) {
    const int slash = path.ReverseFind('/');
    m_path = path;
    m_folder = path.Left(slash + 1);
    const CString name = path.Mid(slash + 1).Left(std::max(0, path.GetLength() - slash - 5));
    const CString prefix = CString::Formatted("%s - %s", name.GetString(), "Video");

    // Copies go to temporary names first; they take their own names once the project is in
    // place, so a failed save leaves the old copies and the old file as they were.
    struct Copy {
        CString temporary, final;
    };
    std::vector<Copy> copies;
    int counter = 1;
    bool copiedInExperiment = false;
    for (const CDataTreeBrench* d : m_image.dataBranches) {
        if (d->IsExperiment()) {
            copiedInExperiment = false;
            continue;
        }
        if (d->m_videoFile.IsEmpty() || m_image.videoNames.count(d->m_videoFile.str())) continue;
        if (!d->m_videoUnsaved && !(copyVideos && !copiedInExperiment)) continue;
        const CString source = d->m_videoUnsaved ? d->m_videoFile : previousFolder + d->m_videoFile;
        CString final;
        do {
            final = CString::Formatted("%s - %s %d.wmv", name.GetString(), "Video", counter++);
        } while (!copyVideos && CFile::Exists((m_folder + final).GetString()));
        const CString temporary = m_folder + "." + final + ".part";
        QFile::remove(temporary.ToQString());
        QFile video(source.ToQString());
        if (!video.copy(temporary.ToQString())) {
            LogSaveError("CVarnelFile::Save", CString(video.fileName()) + " not copied to " +
                                                  temporary + ": " + CString(video.errorString()));
            continue;
        }
        copies.push_back({temporary, m_folder + final});
        m_image.videoNames[d->m_videoFile.str()] = final;
        copiedInExperiment = true;
    }

    std::vector<BYTE> bytes;
    try {
        bytes = BuildBytes(m_image);
    } catch (const CException& e) {
        LogSaveError("CVarnelFile::Save", e.GetErrorMessage());
    }
    CFileException error(CFileException::none, 0, path);
    if (bytes.empty() || !platform::ReplaceFileAtomically(path, bytes, &error)) {
        if (!bytes.empty()) LogSaveError("CVarnelFile::Save", error.GetErrorMessage());
        for (const Copy& c : copies)
            QFile::remove(c.temporary.ToQString());
        return SaveResult::failed;
    }
    if (copyVideos) DeleteOldVideos(m_folder, prefix);
    for (const Copy& c : copies) {
        QFile::remove(c.final.ToQString());
        QFile copy(c.temporary.ToQString());
        if (!copy.rename(c.final.ToQString()))
            LogSaveError("CVarnelFile::Save", c.final + ": " + CString(copy.errorString()));
    }
    return SaveResult::written;
}

bool CVarnelFile::Load(const CString& path) {
    m_path = path;
    const int slash = path.ReverseFind('/');
    if (slash < 1) return false;
    m_folder = path.Left(slash + 1);
    try {
        CFile file;
        if (!file.Open(path.GetString(), CFile::modeRead) || file.GetLength() == 0) return false;
        if (!s_fileLimit.Admits(file.GetLength())) {
            qCWarning(lcDoc) << path.GetString() << "is larger than"
                             << s_fileLimit.Text().GetString() << "and is not read";
            return false;
        }
        CArchive ar(&file, CArchive::load);
        Serialize(ar);
    } catch (const CException& e) {
        m_contents = ProjectContents();
        qCWarning(lcDoc) << "project not read:" << e.GetErrorMessage().GetString();
        return false;
    } catch (const std::bad_alloc&) {
        m_contents = ProjectContents();
        qCWarning(lcDoc) << path.GetString() << "needs more memory than there is";
        return false;
    }
    return true;
}
