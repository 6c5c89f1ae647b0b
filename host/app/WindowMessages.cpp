#include "WindowMessages.h"

#include <functional>
#include <regex>
#include <vector>

namespace {

using Match = std::smatch;
using Build = std::function<std::string(const Match&)>;

struct Rule {
    std::regex pattern;
    Build build;
};

std::string Reason(const std::string& english);

// Quoted names in the window use Chinese quotation marks.
std::string Q(const std::string& text) {
    return "“" + text + "”";
}

// What is wrong in a PLY header, as the header check names it.
std::string PlyHeaderFault(const std::string& english) {
    static const std::vector<std::pair<std::string, std::string>> kFaults = {
        {"the header has no end_header line", "没有 " + Q("end_header") + " 行"},
        {"the first line holds more than \"ply\"", "第一行除 " + Q("ply") + " 外还有其他内容"},
        {"no format line", "没有 " + Q("format") + " 行"},
        {"a format line other than ascii, binary_little_endian or binary_big_endian and a "
         "version",
         Q("format") + " 行应为 " + Q("ascii") + "、" + Q("binary_little_endian") + " 或 " +
             Q("binary_big_endian") + " 加版本号"},
        {"an element without a name and a count", Q("element") + " 行缺少名称或数量"},
        {"a property before any element",
         Q("property") + " 行出现在所有 " + Q("element") + " 之前"},
        {"a property of a type PLY does not have", Q("property") + " 的类型不是 PLY 的类型"},
        {"a line that is not part of a PLY header", "有一行不属于 PLY 文件头"},
    };
    for (const auto& [from, to] : kFaults)
        if (english == from)
            return to;
    return "原因：" + english;
}

// The system's and the parser's own words for what went wrong, as far as the editor meets them.
const std::vector<std::pair<const char*, const char*>>& FixedReasons() {
    static const std::vector<std::pair<const char*, const char*>> reasons = {
        {"cannot be found", "找不到"},
        {"cannot be opened", "无法打开"},
        {"cannot be read", "无法读取"},
        {"the file cannot be read", "文件无法读取"},
        {"not a regular file", "不是普通文件"},
        {"changed while being read", "读取时被改动"},
        {"outside the scene's folder", "位于场景文件夹之外"},
        {"the scene's folder cannot be read", "场景文件夹无法读取"},
        {"a symbolic link that leads nowhere", "符号链接指向不存在的文件"},
        {"a symbolic link that leads outside the scene's folder", "符号链接指向场景文件夹之外"},
        {"too many levels of symbolic links", "符号链接层数过多"},
        {"outside the model's folder", "位于模型文件夹之外"},
        {"the model's folder cannot be read", "模型文件夹无法读取"},
        {"not an image of a kind the editor reads", "不是编辑器能读取的图像格式"},
        {"the image header is not well formed", "图像文件头有误"},
        {"the image holds fewer bytes than its header says", "图像数据比文件头所述的少"},
        // strerror
        {"Permission denied", "权限不足"},
        {"No such file or directory", "文件或文件夹不存在"},
        {"No space left on device", "磁盘空间不足"},
        {"Read-only file system", "文件系统只读"},
        {"Is a directory", "是文件夹"},
        {"Not a directory", "路径中有一项不是文件夹"},
        {"File name too long", "文件名过长"},
        {"Disk quota exceeded", "超出磁盘配额"},
        {"Input/output error", "输入输出错误"},
        {"File exists", "文件已存在"},
        {"Too many open files", "打开的文件过多"},
        {"File too large", "文件过大"},
        {"Cannot allocate memory", "内存不足"},
        // the XML parser
        {"File was not found", "找不到文件"},
        {"Error reading from file/stream", "读取文件出错"},
        {"Could not allocate memory", "内存不足"},
        {"Internal error occurred", "解析器内部错误"},
        {"Could not determine tag type", "无法识别的标记"},
        {"Error parsing document declaration/processing instruction", "XML 声明或处理指令有误"},
        {"Error parsing comment", "注释有误"},
        {"Error parsing CDATA section", "CDATA 段有误"},
        {"Error parsing document type declaration", "文档类型声明有误"},
        {"Error parsing PCDATA section", "文本内容有误"},
        {"Error parsing start element tag", "开始标记有误"},
        {"Error parsing element attribute", "元素属性有误"},
        {"Error parsing end element tag", "结束标记有误"},
        {"Start-end tags mismatch", "开始标记与结束标记不匹配"},
        {"Unable to append nodes: root is not an element or document", "无法添加节点"},
        {"No document element found", "没有根元素"},
        {"Unknown error", "未知错误"},
    };
    return reasons;
}

const std::vector<Rule>& Rules() {
    auto g = [](const Match& m, int i) { return m[i].str(); };
    static const std::vector<Rule> rules = {
        // Opening and saving.
        {std::regex("no such file"), [](const Match&) { return "文件不存在"; }},
        {std::regex("cannot open the scene file"), [](const Match&) { return "无法打开场景文件"; }},
        {std::regex("cannot read the scene file \\((.*)\\)"),
         [g](const Match& m) { return "无法读取场景文件（" + Reason(g(m, 1)) + "）"; }},
        {std::regex("not a text file"), [](const Match&) { return "不是文本文件"; }},
        {std::regex("opening was cancelled"), [](const Match&) { return "打开已取消"; }},
        {std::regex("cannot write in (.*) \\((.*)\\)"),
         [g](const Match& m) {
             return "无法在 " + g(m, 1) + " 中写入（" + Reason(g(m, 2)) + "）";
         }},
        {std::regex("cannot write \\((.*)\\)"),
         [g](const Match& m) { return "无法写入（" + Reason(g(m, 1)) + "）"; }},
        {std::regex("is a folder"), [](const Match&) { return "这是一个文件夹"; }},
        {std::regex("the file is read-only"), [](const Match&) { return "文件是只读的，未覆盖"; }},
        {std::regex("out of memory while (reading|opening|saving|importing) the (scene|model)"),
         [g](const Match& m) {
             static const std::vector<std::pair<std::string, std::string>> kDoing = {
                 {"reading", "读取"},
                 {"opening", "打开"},
                 {"saving", "保存"},
                 {"importing", "导入"}};
             std::string doing;
             for (const auto& [from, to] : kDoing)
                 if (g(m, 1) == from)
                     doing = to;
             return doing + (g(m, 2) == "model" ? "模型" : "场景") + "时内存不足";
         }},
        {std::regex("cannot (read|open|save) the scene \\((.*)\\)"),
         [g](const Match& m) {
             const std::string doing = g(m, 1) == "read"   ? "读取"
                                       : g(m, 1) == "open" ? "打开"
                                                           : "保存";
             return "无法" + doing + "场景（" + Reason(g(m, 2)) + "）";
         }},
        {std::regex("cannot (read|import) the model \\((.*)\\)"),
         [g](const Match& m) {
             return std::string(g(m, 1) == "read" ? "无法读取模型" : "无法导入模型") + "（" +
                    Reason(g(m, 2)) + "）";
         }},
        {std::regex("'(.*)' is not copied: a different file of that name is already in (.*)"),
         [g](const Match& m) {
             return "未复制 " + Q(g(m, 1)) + "：" + g(m, 2) + " 中已有同名的其他文件";
         }},
        {std::regex("'(.*)' is not copied: the save writes a file of that name"),
         [g](const Match& m) { return "未复制 " + Q(g(m, 1)) + "：保存时要写入同名的文件"; }},
        {std::regex("'(.*)' is not copied: (.*)"),
         [g](const Match& m) { return "未复制 " + Q(g(m, 1)) + "：" + Reason(g(m, 2)); }},
        {std::regex("the ground's mesh (.*) is a folder"),
         [g](const Match& m) { return "地面网格 " + g(m, 1) + " 是一个文件夹"; }},
        // Scene file structure.
        {std::regex("the root element is <(.*)>, not <scene>"),
         [g](const Match& m) { return "根元素是 <" + g(m, 1) + ">，而不是 <scene>"; }},
        {std::regex("unknown element <(.*)>"),
         [g](const Match& m) { return "未知元素 <" + g(m, 1) + ">"; }},
        {std::regex("<(.*)> is not kept by the editor \\(skipped\\)"),
         [g](const Match& m) { return "编辑器不保留 <" + g(m, 1) + ">（已跳过）"; }},
        {std::regex("<(.*)> has no attribute '(.*)'"),
         [g](const Match& m) { return "<" + g(m, 1) + "> 缺少属性 " + Q(g(m, 2)); }},
        {std::regex("<(.*)> attribute '(.*)' is not a finite number: '(.*)'"),
         [g](const Match& m) {
             return "<" + g(m, 1) + "> 的属性 " + Q(g(m, 2)) + " 不是有限的数：" + Q(g(m, 3));
         }},
        {std::regex("<rotation> has a zero axis"),
         [](const Match&) { return "<rotation> 的旋转轴为零"; }},
        {std::regex("<rotation> is not a rotation \\(zero quaternion\\)"),
         [](const Match&) { return "<rotation> 不是旋转（四元数为零）"; }},
        {std::regex("nodes are nested deeper than (\\d+) levels"),
         [g](const Match& m) { return "节点嵌套超过 " + g(m, 1) + " 层"; }},
        {std::regex("'(.*)' is nested deeper than (\\d+) levels"),
         [g](const Match& m) { return Q(g(m, 1)) + " 嵌套超过 " + g(m, 2) + " 层"; }},
        {std::regex("the entity's material override is not kept"),
         [](const Match&) { return "不保留实体的材质覆盖"; }},
        {std::regex("unknown light type '(.*)'"),
         [g](const Match& m) { return "未知的灯光类型 " + Q(g(m, 1)); }},
        {std::regex("a light's own <position> is not kept; the node places it"),
         [](const Match&) { return "不保留灯光自己的 <position>，位置由节点决定"; }},
        {std::regex("user data '(.*)' is not a 32-bit number: '(.*)'"),
         [g](const Match& m) { return "用户数据 " + Q(g(m, 1)) + " 不是 32 位数：" + Q(g(m, 2)); }},
        {std::regex("user data '(.*)' is not true or false: '(.*)'"),
         [g](const Match& m) {
             return "用户数据 " + Q(g(m, 1)) + " 不是 true 或 false：" + Q(g(m, 2));
         }},
        {std::regex("user data 'groundHeights' without 'ground'"),
         [](const Match&) { return "有用户数据“groundHeights”却没有“ground”"; }},
        {std::regex("user data 'ground' is not 'WIDTH DEPTH CELLS': '(.*)'"),
         [g](const Match& m) { return "用户数据“ground”不是“宽 深 格数”：" + Q(g(m, 1)); }},
        {std::regex("a second ground"), [](const Match&) { return "出现了第二个地面"; }},
        {std::regex("bad ground size '(.*)'"),
         [g](const Match& m) { return "地面尺寸有误：" + Q(g(m, 1)); }},
        {std::regex("bad ground size"), [](const Match&) { return "地面尺寸有误"; }},
        {std::regex("ground height '(.*)' is not a finite number"),
         [g](const Match& m) { return "地面高度 " + Q(g(m, 1)) + " 不是有限的数"; }},
        {std::regex("the ground has (\\d+) heights, not (\\d+)"),
         [g](const Match& m) {
             return "地面有 " + g(m, 1) + " 个高度值，应为 " + g(m, 2) + " 个";
         }},
        {std::regex("the ground node has children"),
         [](const Match&) { return "地面节点有子节点"; }},
        {std::regex("the ground node is not a root node"),
         [](const Match&) { return "地面节点不是根节点"; }},
        {std::regex("the ground's own transform is not kept"),
         [](const Match&) { return "不保留地面自己的变换"; }},
        {std::regex("the ground's grid is not usable"),
         [](const Match&) { return "地面网格不可用"; }},
        {std::regex("the ground could not be made"), [](const Match&) { return "无法生成地面"; }},
        {std::regex("a node has no name"), [](const Match&) { return "有节点没有名称"; }},
        {std::regex("the name '(.*)' is not valid UTF-8 or holds a control character"),
         [g](const Match& m) { return "名称 " + Q(g(m, 1)) + " 不是有效的 UTF-8 或含有控制字符"; }},
        {std::regex("the name '(.*)' is longer than (\\d+) bytes"),
         [g](const Match& m) { return "名称 " + Q(g(m, 1)) + " 超过 " + g(m, 2) + " 字节"; }},
        {std::regex("<(.*)> attribute '(.*)' holds the control character NUL: '(.*)'"),
         [g](const Match& m) {
             return "<" + g(m, 1) + "> 的属性 " + Q(g(m, 2)) + " 含有空字符（控制字符）：" +
                    Q(g(m, 3));
         }},
        {std::regex("the mesh file name '(.*)' is not valid UTF-8 or holds a control character"),
         [g](const Match& m) {
             return "网格文件名 " + Q(g(m, 1)) + " 不是有效的 UTF-8 或含有控制字符";
         }},
        {std::regex("duplicate name '(.*)' \\(first at line (\\d+)\\)"),
         [g](const Match& m) {
             return "名称 " + Q(g(m, 1)) + " 重复（首次出现在第 " + g(m, 2) + " 行）";
         }},
        {std::regex("node '(.*)' has no valid parent"),
         [g](const Match& m) { return "节点 " + Q(g(m, 1)) + " 没有有效的父节点"; }},
        {std::regex("node '(.*)' has a value that is not finite"),
         [g](const Match& m) { return "节点 " + Q(g(m, 1)) + " 有不是有限数的值"; }},
        {std::regex("node '(.*)' has a zero scale"),
         [g](const Match& m) { return "节点 " + Q(g(m, 1)) + " 的缩放为零"; }},
        {std::regex("node '(.*)' names no mesh"),
         [g](const Match& m) { return "节点 " + Q(g(m, 1)) + " 没有指定网格"; }},
        {std::regex("node '(.*)' is its own ancestor \\(parent cycle\\)"),
         [g](const Match& m) { return "节点 " + Q(g(m, 1)) + " 是自己的祖先（父子关系成环）"; }},
        {std::regex("'(.*)' lies out of the world range \\(world position within \\+-(.*), world "
                    "scale (.*) to (.*)\\)"),
         [g](const Match& m) {
             return Q(g(m, 1)) + " 超出世界范围（位置 ±" + g(m, 2) + "，缩放 " + g(m, 3) + " 至 " +
                    g(m, 4) + "）";
         }},
        {std::regex("'(.*)' could not be created"),
         [g](const Match& m) { return "无法创建 " + Q(g(m, 1)); }},
        // Meshes and scripts beside the scene.
        {std::regex("(.*); '(.*)' is shown as a box"),
         [g](const Match& m) { return Reason(g(m, 1)) + "；" + Q(g(m, 2)) + " 以方框显示"; }},
        {std::regex("mesh '(.*)' cannot be loaded: (.*)"),
         [g](const Match& m) { return "网格 " + Q(g(m, 1)) + " 无法加载：" + Reason(g(m, 2)); }},
        {std::regex("mesh '(.*)' is outside the scene's folder"),
         [g](const Match& m) { return "网格 " + Q(g(m, 1)) + " 位于场景文件夹之外"; }},
        {std::regex("mesh '(.*)' is not in the scene's folder"),
         [g](const Match& m) { return "网格 " + Q(g(m, 1)) + " 不在场景文件夹中"; }},
        {std::regex("the script '(.*)' beside the scene is not read: (.*)"),
         [g](const Match& m) {
             return "未读取场景旁的脚本 " + Q(g(m, 1)) + "：" + Reason(g(m, 2));
         }},
        {std::regex("resources of the scene's folder: (.*)"),
         [g](const Match& m) { return "场景文件夹的资源有误：" + Reason(g(m, 1)); }},
        // Model import.
        {std::regex("the file is empty"), [](const Match&) { return "文件是空的"; }},
        {std::regex("the file holds no (scene|nodes)"),
         [](const Match&) { return "文件中没有场景内容"; }},
        {std::regex("not a model format the editor imports \\((.*)\\)"),
         [g](const Match& m) { return "不是编辑器能导入的模型格式（" + g(m, 1) + "）"; }},
        {std::regex("a node names mesh (\\d+) of (\\d+)"),
         [g](const Match& m) {
             return "有节点引用了不存在的网格 " + g(m, 1) + "（共 " + g(m, 2) + " 个）";
         }},
        {std::regex("mesh '(.*)' has a vertex position that is not a finite number"),
         [g](const Match& m) { return "网格 " + Q(g(m, 1)) + " 有不是有限数的顶点位置"; }},
        {std::regex("mesh '(.*)' has a vertex outside the world range \\(\\+-(.*)\\)"),
         [g](const Match& m) {
             return "网格 " + Q(g(m, 1)) + " 有顶点超出世界范围（±" + g(m, 2) + "）";
         }},
        {std::regex("mesh '(.*)' has an index out of range"),
         [g](const Match& m) { return "网格 " + Q(g(m, 1)) + " 的索引超出范围"; }},
        {std::regex("node '(.*)' has a transform that is not a number"),
         [g](const Match& m) { return "节点 " + Q(g(m, 1)) + " 的变换不是数"; }},
        {std::regex("node '(.*)' lies outside the world range"),
         [g](const Match& m) { return "节点 " + Q(g(m, 1)) + " 超出世界范围"; }},
        {std::regex("node '(.*)' comes before its parent"),
         [g](const Match& m) { return "节点 " + Q(g(m, 1)) + " 排在其父节点之前"; }},
        {std::regex("node '(.*)' cannot be added \\(outside the world range\\)"),
         [g](const Match& m) { return "无法添加节点 " + Q(g(m, 1)) + "（超出世界范围）"; }},
        {std::regex("node '(.*)' cannot be added: (.*)"),
         [g](const Match& m) { return "无法添加节点 " + Q(g(m, 1)) + "：" + Reason(g(m, 2)); }},
        {std::regex("the (node tree|JSON text) is nested deeper than (\\d+) levels"),
         [g](const Match& m) { return "节点嵌套超过 " + g(m, 2) + " 层"; }},
        {std::regex("a node is its own child or the child of two nodes|the node tree has a cycle"),
         [](const Match&) { return "节点树中有环"; }},
        {std::regex("cannot start the model reader \\((.*)\\)"),
         [g](const Match& m) { return "无法启动模型读取进程（" + Reason(g(m, 1)) + "）"; }},
        {std::regex("the PLY header is not well formed \\(line (\\d+): (.*)\\)"),
         [g](const Match& m) {
             return "PLY 文件头有误（第 " + g(m, 1) + " 行：" + PlyHeaderFault(g(m, 2)) + "）";
         }},
        {std::regex("the model reader took longer than (\\d+) s and was stopped"),
         [g](const Match& m) { return "读取模型超过 " + g(m, 1) + " 秒，已停止"; }},
        {std::regex("the model reader failed on this file \\(signal (\\d+)\\)"),
         [g](const Match& m) { return "读取模型时出错（信号 " + g(m, 1) + "）"; }},
        {std::regex("the model reader ended without an answer"),
         [](const Match&) { return "模型读取进程没有给出结果"; }},
        {std::regex("texture '(.*)' is stored uncompressed, which is not read"),
         [g](const Match& m) { return "纹理 " + Q(g(m, 1)) + " 未压缩存储，未读取"; }},
        {std::regex("texture '(.*)' is not read \\(no folder\\)"),
         [g](const Match& m) { return "纹理 " + Q(g(m, 1)) + " 未读取（没有所在文件夹）"; }},
        {std::regex("texture '(.*)' cannot be read: (.*)"),
         [g](const Match& m) { return "纹理 " + Q(g(m, 1)) + " 无法读取：" + Reason(g(m, 2)); }},
        {std::regex("the texture of material '(.*)' cannot be decoded: (.*)"),
         [g](const Match& m) { return "材质 " + Q(g(m, 1)) + " 的纹理无法解码"; }},
        {std::regex("texture '(.*)' is not decoded: (.*)"),
         [g](const Match& m) { return "纹理 " + Q(g(m, 1)) + " 未解码：" + Reason(g(m, 2)); }},
        {std::regex("(\\d+)x(\\d+)(x\\d+)?( \\((\\d+) faces\\))? pixels, more than the (\\d+) the "
                    "editor decodes"),
         [g](const Match& m) {
             return "图像为 " + g(m, 1) + "×" + g(m, 2) +
                    (g(m, 3).empty() ? "" : "×" + g(m, 3).substr(1)) +
                    (g(m, 5).empty() ? "" : "（" + g(m, 5) + " 个面）") + " 像素，超过可解码的 " +
                    g(m, 6) + " 像素";
         }},
        {std::regex("the model's textures come to more than (\\d+) pixels"),
         [g](const Match& m) { return "模型的纹理合计超过 " + g(m, 1) + " 像素"; }},
        {std::regex("file '(.*)' that the model needs is not read: (.*)"),
         [g](const Match& m) {
             return "未读取模型所需的文件 " + Q(g(m, 1)) + "：" + Reason(g(m, 2));
         }},
        {std::regex("file '(.*)' is not read: (.*)"),
         [g](const Match& m) { return "未读取文件 " + Q(g(m, 1)) + "：" + Reason(g(m, 2)); }},
        {std::regex(
             "the node tree expands to (more than )?(\\d+) entities, more than the (\\d+) an "
             "import makes"),
         [g](const Match& m) {
             return "节点树展开后有" + std::string(g(m, 1).empty() ? " " : "超过 ") + g(m, 2) +
                    " 个物体，超过一次导入的上限 " + g(m, 3) + " 个";
         }},
        {std::regex("light '(.*)' is on a node with meshes and is left out"),
         [g](const Match& m) { return "灯光 " + Q(g(m, 1)) + " 位于带网格的节点上，已略去"; }},
        // The editor's own text format.
        {std::regex("expected: (.*)"), [g](const Match& m) { return "格式应为：" + g(m, 1); }},
        {std::regex("duplicate entity name '(.*)'"),
         [g](const Match& m) { return "物体名称 " + Q(g(m, 1)) + " 重复"; }},
        {std::regex("unknown parent '(.*)'"),
         [g](const Match& m) { return "未知的父物体 " + Q(g(m, 1)); }},
        {std::regex("unknown entity '(.*)'"),
         [g](const Match& m) { return "未知的物体 " + Q(g(m, 1)); }},
        {std::regex("cannot create mesh entity '(.*)' \\(unknown mesh, zero scale, or out of "
                    "the world range\\)"),
         [g](const Match& m) {
             return "无法创建网格物体 " + Q(g(m, 1)) + "（网格未知、缩放为零或超出世界范围）";
         }},
        {std::regex("light type must be point or spot"),
         [](const Match&) { return "灯光类型须为 point 或 spot"; }},
        {std::regex("cannot create light '(.*)' \\(out of the world range\\)"),
         [g](const Match& m) { return "无法创建灯光 " + Q(g(m, 1)) + "（超出世界范围）"; }},
        {std::regex("bad state bits '(.*)'"),
         [g](const Match& m) { return "状态位有误：" + Q(g(m, 1)); }},
        {std::regex("unknown statement '(.*)'"),
         [g](const Match& m) { return "未知的语句 " + Q(g(m, 1)); }},
    };
    return rules;
}

// A reason inside a message: the fixed words of the system and the parser, a size limit, the
// mesh checker's byte offset, or a message of the table.
std::string Reason(const std::string& english) {
    for (const auto& [from, to] : FixedReasons())
        if (english == from)
            return to;
    static const std::regex larger("larger than (\\d+) (MiB|bytes)");
    static const std::regex atByte("at byte (\\d+): .*");
    Match m;
    if (std::regex_match(english, m, larger))
        return "大于 " + m[1].str() + (m[2] == "MiB" ? " MiB" : " 字节");
    if (std::regex_match(english, m, atByte))
        return "第 " + m[1].str() + " 字节处不是有效的网格数据";
    const std::string known = TranslateMessageBody(english);
    return known.empty() ? "原因：" + english : known;
}

} // namespace

std::string TranslateMessageBody(const std::string& body) {
    Match m;
    for (const Rule& rule : Rules())
        if (std::regex_match(body, m, rule.pattern))
            return rule.build(m);
    for (const auto& [from, to] : FixedReasons())
        if (body == from)
            return to;
    return "";
}

std::string WindowMessage(const std::string& message) {
    // "PATH:LINE: what": the first ":N: " with digits only between the colons.
    static const std::regex located("(.+?):(\\d+): (.*)");
    Match m;
    const bool hasLine = std::regex_match(message, m, located);
    if (hasLine) {
        const std::string body = TranslateMessageBody(m[3].str());
        if (!body.empty())
            return m[1].str() + " 第 " + m[2].str() + " 行：" + body;
    }
    const std::string whole = TranslateMessageBody(message);
    if (!whole.empty())
        return whole;
    // "PATH: what": a path may hold ": " itself, so every split is tried from the left.
    for (std::size_t at = message.find(": "); at != std::string::npos;
         at = message.find(": ", at + 1)) {
        const std::string body = TranslateMessageBody(message.substr(at + 2));
        if (!body.empty())
            return message.substr(0, at) + "：" + body;
    }
    if (hasLine)
        return m[1].str() + " 第 " + m[2].str() + " 行：原因：" + m[3].str();
    const std::size_t at = message.find(": ");
    return at == std::string::npos ? "出错：" + message
                                   : message.substr(0, at) + "：原因：" + message.substr(at + 2);
}
