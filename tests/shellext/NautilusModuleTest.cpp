// GNOME Files' side: the module loaded as Files loads it, asked for the menu
// of a selection and activated, without Files itself.
#include "support/TempDir.h"

#include <gio/gio.h>
#include <glib-object.h>
extern "C" {
#include <nautilus-extension.h>
}

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace zdr::test {
namespace {

namespace fs = std::filesystem;

// A selected file as Files describes it: a location and whether it is a folder.
struct FakeFile {
    GObject parent;
    GFile* location;
    gboolean directory;
};
struct FakeFileClass {
    GObjectClass parent;
};

gboolean fakeIsDirectory(NautilusFileInfo* info) { return reinterpret_cast<FakeFile*>(info)->directory; }
GFile* fakeLocation(NautilusFileInfo* info)
{
    return G_FILE(g_object_ref(reinterpret_cast<FakeFile*>(info)->location));
}
void fakeFinalize(GObject* object) { g_object_unref(reinterpret_cast<FakeFile*>(object)->location); }

GType fakeFileType()
{
    static GType type = [] {
        const GTypeInfo info = {sizeof(FakeFileClass),
                                nullptr,
                                nullptr,
                                [](gpointer klass, gpointer) { G_OBJECT_CLASS(klass)->finalize = fakeFinalize; },
                                nullptr,
                                nullptr,
                                sizeof(FakeFile),
                                0,
                                nullptr,
                                nullptr};
        const GType t = g_type_register_static(G_TYPE_OBJECT, "ZdrTestFileInfo", &info, GTypeFlags(0));
        const GInterfaceInfo fileInfo = {[](gpointer iface, gpointer) {
                                             auto* i = static_cast<NautilusFileInfoInterface*>(iface);
                                             i->is_directory = fakeIsDirectory;
                                             i->get_location = fakeLocation;
                                         },
                                         nullptr, nullptr};
        g_type_add_interface_static(t, NAUTILUS_TYPE_FILE_INFO, &fileInfo);
        return t;
    }();
    return type;
}

GObject* fakeFile(GFile* location, bool directory)
{
    auto* file = reinterpret_cast<FakeFile*>(g_object_new(fakeFileType(), nullptr));
    file->location = location;
    file->directory = directory;
    return G_OBJECT(file);
}

GType moduleType()
{
    static GType type = [] {
        const GTypeInfo info = {sizeof(GTypeModuleClass),
                                nullptr,
                                nullptr,
                                [](gpointer klass, gpointer) {
                                    G_TYPE_MODULE_CLASS(klass)->load = [](GTypeModule*) -> gboolean { return TRUE; };
                                    G_TYPE_MODULE_CLASS(klass)->unload = [](GTypeModule*) {};
                                },
                                nullptr,
                                nullptr,
                                sizeof(GTypeModule),
                                0,
                                nullptr,
                                nullptr};
        return g_type_register_static(G_TYPE_TYPE_MODULE, "ZdrTestTypeModule", &info, GTypeFlags(0));
    }();
    return type;
}

std::string property(gpointer object, const char* name)
{
    gchar* value = nullptr;
    g_object_get(object, name, &value, nullptr);
    std::string text = value ? value : "";
    g_free(value);
    return text;
}

class NautilusModule : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        module_ = dlopen((std::string(ZDR_BIN_DIR) + "/libzendor-nautilus.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module_, nullptr) << dlerror();
        auto initialize = reinterpret_cast<void (*)(GTypeModule*)>(dlsym(module_, "nautilus_module_initialize"));
        auto listTypes = reinterpret_cast<void (*)(const GType**, int*)>(dlsym(module_, "nautilus_module_list_types"));
        auto* typeModule = G_TYPE_MODULE(g_object_new(moduleType(), nullptr));
        g_type_module_use(typeModule);
        initialize(typeModule);
        const GType* types = nullptr;
        int count = 0;
        listTypes(&types, &count);
        ASSERT_EQ(count, 1);
        provider_ = NAUTILUS_MENU_PROVIDER(g_object_new(types[0], nullptr));
    }

    // The provider's items for a selection (paths or URIs, folders or not).
    static GList* items(const std::vector<std::pair<std::string, bool>>& selection)
    {
        GList* files = nullptr;
        for (const auto& [name, directory] : selection) {
            GFile* location =
                name.front() == '/' ? g_file_new_for_path(name.c_str()) : g_file_new_for_uri(name.c_str());
            files = g_list_append(files, fakeFile(location, directory));
        }
        GList* result = nautilus_menu_provider_get_file_items(provider_, files);
        g_list_free_full(files, g_object_unref);
        return result;
    }

    static inline void* module_ = nullptr;
    static inline NautilusMenuProvider* provider_ = nullptr;
};

TEST_F(NautilusModule, MenuOfSelectedFolders)
{
    GList* list = items({{"/daten/a", true}, {"/daten/b", true}});
    ASSERT_EQ(g_list_length(list), 4u);
    const std::vector<std::string> labels{"Informationen (Zendor Daten Informationen)",
                                          "Kopieren (Zendor Daten kopieren)", "Löschen (Zendor Daten löschen)",
                                          "Verzeichnis anlegen"};
    int i = 0;
    for (GList* l = list; l; l = l->next, ++i)
        EXPECT_EQ(property(l->data, "label"), labels[static_cast<std::size_t>(i)]);
    EXPECT_EQ(property(g_list_nth_data(list, 1), "tip"),
              "Zendor Copy Copy - Sicheres Kopieren von Dateien und Ordnern");
    EXPECT_EQ(property(g_list_nth_data(list, 1), "icon"), "edit-copy");

    NautilusMenu* submenu = nullptr;
    g_object_get(g_list_nth_data(list, 0), "menu", &submenu, nullptr);
    ASSERT_NE(submenu, nullptr);
    GList* children = nautilus_menu_get_items(submenu);
    ASSERT_EQ(g_list_length(children), 2u);
    EXPECT_EQ(property(children->data, "label"), "Informationen");
    EXPECT_EQ(property(children->next->data, "label"), "Informationen Ordner Platzbedarf");
    EXPECT_EQ(property(children->next->data, "tip"), "Zendor Copy Informationen über Platzbelegung Ordner");
    nautilus_menu_item_list_free(children);
    g_object_unref(submenu);
    nautilus_menu_item_list_free(list);
}

TEST_F(NautilusModule, NothingForFilesOrRemoteFolders)
{
    EXPECT_EQ(items({{"/daten/a", true}, {"/daten/brief.txt", false}}), nullptr);
    EXPECT_EQ(items({{"sftp://server/daten", true}}), nullptr);
    EXPECT_EQ(items({}), nullptr);
}

TEST_F(NautilusModule, PickingACommandHandsTheSelectionOver)
{
    TempDir tree;
    tree.mkdir("Daten/Bilder");
    char pattern[] = "/tmp/zdr-rt-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    setenv("XDG_RUNTIME_DIR", pattern, 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string protocol = tree.file("protocol.txt");
    // Nobody is at the screen: the copy starts by itself and its window closes at its end.
    setenv("ZDR_UNATTENDED", "1", 1);
    setenv("ZDR_PROTOCOL_FILE", protocol.c_str(), 1);

    GList* list = items({{tree.file("Daten/Bilder"), true}});
    nautilus_menu_item_activate(NAUTILUS_MENU_ITEM(g_list_nth_data(list, 1))); // Kopieren
    nautilus_menu_item_list_free(list);
    std::string text;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (text.find("=== Ende\n") == std::string::npos && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::ifstream in(protocol);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    EXPECT_NE(text.find("=== INFO: Informationen über zu kopierende Daten sammeln ..."), std::string::npos) << text;
    EXPECT_NE(text.find("Aufgabe 1 / 1: von Verzeichnis: " + tree.file("Daten/Bilder") + "  =>  ()"), std::string::npos)
        << text;
    unsetenv("ZDR_UNATTENDED");
    unsetenv("ZDR_PROTOCOL_FILE");
    const auto gone = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::is_empty(pattern) && std::chrono::steady_clock::now() < gone)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    fs::remove_all(pattern);
}

} // namespace
} // namespace zdr::test
