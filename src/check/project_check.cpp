#include "check/project_check.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "assets/asset_file.h"
#include "assets/obj_reader.h"
#include "assets/parallel_for.h"
#include "check/mesh_text.h"
#include "generate/generate_level.h"
#include "generate/layer_plan.h"
#include "levelfile/layer_descriptor.h"
#include "levelfile/level_format.h"
#include "model/coordinate_limit.h"
#include "model/counted_text.h"
#include "model/file_io.h"
#include "model/number_text.h"
#include "model/printable_text.h"
#include "model/project_file.h"
#include "model/start_placement.h"
#include "model/stored_path.h"

namespace kes {
namespace {

class Gatherer {
public:
    explicit Gatherer(std::vector<ProjectProblem>& problems) : problems_(problems) {}

    void error(int layer, const std::string& file, const std::string& what)
    {
        add(ProblemSeverity::Error, layer, file, 0, what);
    }
    void warning(int layer, const std::string& file, int line, const std::string& what)
    {
        add(ProblemSeverity::Warning, layer, file, line, what);
    }

private:
    void add(ProblemSeverity severity, int layer, const std::string& file, int line, const std::string& what)
    {
        problems_.push_back({severity, layer, file, line, printableText(what)});
    }
    std::vector<ProjectProblem>& problems_;
};

void checkText(Gatherer& gather, const char* name, const std::string& text)
{
    if (text.empty())
        gather.warning(-1, "", 0, std::string("the ") + name + " is empty");
    else if (text.size() > kTextCapacity)
        gather.warning(-1, "", 0, std::string("the ") + name + " is " + std::to_string(text.size())
                                      + " bytes long; a project holds 249 and the level gets the first "
                                      + std::to_string(capText(text).size()));
}

// True when the text starts with a number as leadingInteger and leadingNumber
// read it (blanks, a sign, then a digit or a point and a digit).
bool startsWithNumber(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && std::strchr(" \t\n\v\f\r", text[i]) && text[i] != '\0')
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (i < text.size() && text[i] == '.')
        ++i;
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

void checkVersion(Gatherer& gather, const char* name, const std::string& text)
{
    if (text.empty()) {
        gather.warning(-1, "", 0, std::string("the ") + name + " is empty; the level gets 0");
        return;
    }
    if (!startsWithNumber(text)) {
        gather.warning(-1, "", 0, std::string("the ") + name + " '" + text + "' is not a number; the level gets 0");
        return;
    }
    const std::int32_t value = leadingInteger(text);
    if (value < 0 || value > 0xFFFF)
        gather.warning(-1, "", 0, std::string("the ") + name + " " + std::to_string(value)
                                      + " is outside 0 to 65535; the level gets "
                                      + std::to_string(static_cast<std::uint32_t>(value) & 0xFFFF));
}

// " '1e+30,0,0' is out of range (beyond ±1000000); the preview does not frame
// it", or empty when every value is within the coordinate limit.
std::string outOfRange(const float* values, int count)
{
    for (int i = 0; i < count; ++i)
        if (!withinCoordinateLimit(values[i]))
            return " '" + formatShortestList(values, count) + "' is out of range (beyond "
                + kCoordinateLimitText + "); the preview does not frame it";
    return {};
}

void checkSettings(Gatherer& gather, const LevelSettings& s)
{
    checkText(gather, "title", s.title);
    checkText(gather, "author", s.author);
    checkVersion(gather, "major version", s.versionMajor);
    checkVersion(gather, "minor version", s.versionMinor);
    if (s.framesLR.empty())
        gather.warning(-1, "", 0, "the frames to use L/R are empty; the level gets 0");
    else if (!startsWithNumber(s.framesLR))
        gather.warning(-1, "", 0, "the frames to use L/R '" + s.framesLR + "' are not a number; the level gets 0");
    if (!holdsNumbers(s.startPosition, 6))
        gather.error(-1, "", "the start position '" + s.startPosition
                                 + "' does not hold six numbers (x,y,z,rx,ry,rz)");
    else if (std::string reason = numberListProblem(s.startPosition, 6); !reason.empty())
        gather.warning(-1, "", 0, "the start position '" + s.startPosition + "': " + reason);
    else if (const StartPlacement start = startPlacementOf(s); !outOfRange(start.position.data(), 3).empty())
        gather.warning(-1, "", 0, "the start position" + outOfRange(start.position.data(), 3));
    if (!holdsNumbers(s.backgroundColor, 3))
        gather.error(-1, "", "the background colour '" + s.backgroundColor + "' does not hold three numbers (r,g,b)");
    else if (std::string reason = numberListProblem(s.backgroundColor, 3); !reason.empty())
        gather.warning(-1, "", 0, "the background colour '" + s.backgroundColor + "': " + reason);
}

void checkMesh(Gatherer& gather, const LevelInput& input)
{
    std::vector<std::uint8_t> bytes;
    if (Status read = loadAssetFile(input.path, inputKindName(input.kind), bytes); !read) {
        gather.error(input.layer, input.path, read.reason());
        return;
    }
    if (looksLikeBinaryText(bytes))
        gather.warning(input.layer, input.path, 0, kMeshNotTextWarning);
    std::vector<ReaderWarning> warnings;
    const MeshTriangles mesh = decodeObjMesh(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), input.path, &warnings);
    for (const ReaderWarning& warning : warnings)
        gather.warning(input.layer, input.path, warning.line, warning.what);
    std::size_t beyond = 0;
    for (const MeshFace& face : mesh.faces)
        for (const Vec3& p : face.position)
            beyond += withinCoordinateLimit(p.x) && withinCoordinateLimit(p.y) && withinCoordinateLimit(p.z) ? 0 : 1;
    if (beyond > 0)
        gather.warning(input.layer, input.path, 0,
                       std::to_string(beyond) + (beyond == 1 ? " corner of a face is" : " corners of faces are")
                           + " out of range (beyond " + kCoordinateLimitText + "); the preview does not frame them");
}

void checkTexture(Gatherer& gather, const LevelInput& input)
{
    LayerDescriptor descriptor;
    if (Status loaded = loadTextureSet(input.path, descriptor); !loaded)
        gather.error(input.layer, input.path, loaded.reason());
}

void checkLayer(Gatherer& gather, int index, const LayerEntry& entry, const std::string& baseFolder)
{
    // A stored path that names no file but whose name is in the project's
    // folder: generation uses that file and says so.
    for (const ReaderWarning& relink : planLayer(index, entry, baseFolder).relinks)
        gather.warning(index, relink.file, relink.line, relink.what);
    if (entry.objPath.empty())
        gather.error(index, "", "the layer names no mesh file");
    if (entry.draw != 0 && entry.bmpPath.empty())
        gather.error(index, "", "the layer is drawn but names no texture file");
    if (layerKindName(entry.kind).empty())
        gather.warning(index, "", 0, "layer kind " + std::to_string(entry.kind)
                                         + " is unknown; the level stores no motion for it");
    // Generation takes the low 16 bits of the kind, as the level stores it.
    // The values the layer's kind uses, where the preview frames them.
    const LayerKind kind = layerKindOf(static_cast<std::uint16_t>(entry.kind & 0xFFFF));
    auto range = [&](const char* name, const float* values, int count) {
        if (std::string problem = outOfRange(values, count); !problem.empty())
            gather.warning(index, "", 0, std::string("the ") + name + problem);
    };
    if (kind == LayerKind::Moving || kind == LayerKind::Trigger) {
        const float frames = static_cast<float>(entry.frames);
        const float end[3] = {entry.speed[0] * frames, entry.speed[1] * frames, entry.speed[2] * frames};
        if (outOfRange(entry.speed.data(), 3).empty())
            range("motion's end (speed x frames)", end, 3);
        else
            range("speed", entry.speed.data(), 3);
    }
    if (kind == LayerKind::Vibrating)
        range("vibration width", entry.vibration.data(), 3);
    if (kind == LayerKind::Trigger || kind == LayerKind::AnimatedTrigger) {
        const std::array<float, 6> area = triggerAreaToTypedOrder(entry.triggerArea);
        range("trigger area", area.data(), 6);
    }
    if (isAnimatedLayerKind(kind)) {
        if (entry.frames == 0)
            gather.warning(index, "", 0, "the animation has 0 frames; the layer gets no mesh");
        else if (entry.frames < 0 || entry.frames > 0xFFFF)
            gather.warning(index, "", 0, "the animation's frame count " + std::to_string(entry.frames)
                                             + " is outside 1 to 65535; the level gets "
                                             + countedText(static_cast<std::uint32_t>(entry.frames) & 0xFFFF, "frame"));
    }
}

} // namespace

bool ProjectCheck::hasErrors() const
{
    return std::any_of(problems.begin(), problems.end(),
                       [](const ProjectProblem& p) { return p.severity == ProblemSeverity::Error; });
}

bool ProjectCheck::hasWarnings() const
{
    return std::any_of(problems.begin(), problems.end(),
                       [](const ProjectProblem& p) { return p.severity == ProblemSeverity::Warning; });
}

ProjectCheck checkProject(const LevelProject& project, const std::string& baseFolder, int threads)
{
    ProjectCheck check;
    Gatherer gather(check.problems);
    checkSettings(gather, project.settings);
    for (int i = 0; i < project.targets.count(); ++i)
        if (targetKindName(project.targets.at(i).kind).empty())
            gather.warning(-1, "", 0, "target " + std::to_string(i + 1) + " has the unknown kind "
                                          + std::to_string(project.targets.at(i).kind));
    for (int i = 0; i < project.targets.count(); ++i) {
        const TargetEntry& target = project.targets.at(i);
        const float position[3] = {target.x, target.y, target.z};
        if (std::string problem = outOfRange(position, 3); !problem.empty())
            gather.warning(-1, "", 0, "target " + std::to_string(i + 1) + "'s position" + problem);
    }
    check.inputs = levelInputs(project, baseFolder);

    // The inputs are read on up to `threads` threads, each into its own
    // list, and their problems are put in generation's order afterwards.
    std::vector<std::vector<ProjectProblem>> inputProblems(check.inputs.size());
    GenerationOptions generation;
    generation.threads = threads;
    parallelFor(check.inputs.size(), generationThreadCount(generation), [&](std::size_t k) {
        const LevelInput& input = check.inputs[k];
        Gatherer inputGather(inputProblems[k]);
        if (input.kind == InputKind::Mesh)
            checkMesh(inputGather, input);
        else
            checkTexture(inputGather, input);
    });

    std::size_t next = 0;
    for (int i = 0; i < project.layers.count(); ++i) {
        checkLayer(gather, i, project.layers.at(i), baseFolder);
        for (; next < check.inputs.size() && check.inputs[next].layer == i; ++next)
            check.problems.insert(check.problems.end(), inputProblems[next].begin(), inputProblems[next].end());
    }
    return check;
}

ProjectCheck checkProjectFile(const std::string& projectPath)
{
    LevelProject project;
    Status loaded = loadProject(projectPath, project);
    if (!loaded) {
        ProjectCheck check;
        std::string reason = loaded.reason();
        // Reasons about the contents do not name the file.
        if (reason.find(projectPath) == std::string::npos)
            reason = "'" + projectPath + "': " + reason;
        check.problems.push_back({ProblemSeverity::Error, -1, projectPath, 0, printableText(reason)});
        return check;
    }
    return checkProject(project, projectFolderOf(projectPath));
}

std::string problemLine(const ProjectProblem& problem)
{
    std::string line;
    const std::string layer = problem.layer >= 0 ? "layer " + std::to_string(problem.layer + 1) : "";
    // Reasons of files that cannot be read name the file themselves.
    if (!problem.file.empty() && (problem.line > 0 || problem.severity == ProblemSeverity::Warning)) {
        line = printableText(problem.file);
        if (problem.line > 0) {
            line += ':';
            line += std::to_string(problem.line);
        }
        line += ": " + problem.what;
        if (!layer.empty())
            line += " (" + layer + ")";
        return line;
    }
    return layer.empty() ? problem.what : layer + ": " + problem.what;
}

std::string problemMessage(const ProjectProblem& problem)
{
    return (problem.severity == ProblemSeverity::Error ? "error: " : "warning: ") + problemLine(problem);
}

} // namespace kes
