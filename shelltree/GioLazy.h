#pragma once
// GIO's functions, found in the library when first called: the library and
// the six it brings were loaded at every start, for a folder tree that is
// filled only once the window is up. Include instead of <gio/gio.h>, before
// any Qt header (GIO's struct member `signals` clashes with Qt's keyword).

#include <gio/gio.h>
#include <gio/gunixmounts.h>

namespace dm::gio {

/// The address of GIO's (or GObject's) function `name`; loads the library at
/// the first call. Ends the program when the library or the function is
/// missing: the tree cannot work without it, and the package depends on it.
void *symbol(const char *name);

} // namespace dm::gio

// Each use resolves once (a static per call site); decltype names the
// header's declaration without linking against it.
#define DM_GIO_LAZY(name)                                                                        \
    (*[] {                                                                                       \
        static const auto function = reinterpret_cast<decltype(&::name)>(dm::gio::symbol(#name)); \
        return function;                                                                         \
    }())

#define g_cancellable_cancel DM_GIO_LAZY(g_cancellable_cancel)
#define g_cancellable_new DM_GIO_LAZY(g_cancellable_new)
#define g_file_copy DM_GIO_LAZY(g_file_copy)
#define g_file_delete DM_GIO_LAZY(g_file_delete)
#define g_file_enumerate_children DM_GIO_LAZY(g_file_enumerate_children)
#define g_file_enumerate_children_async DM_GIO_LAZY(g_file_enumerate_children_async)
#define g_file_enumerate_children_finish DM_GIO_LAZY(g_file_enumerate_children_finish)
#define g_file_enumerator_close_async DM_GIO_LAZY(g_file_enumerator_close_async)
#define g_file_enumerator_get_type DM_GIO_LAZY(g_file_enumerator_get_type)
#define g_file_enumerator_iterate DM_GIO_LAZY(g_file_enumerator_iterate)
#define g_file_enumerator_next_files_async DM_GIO_LAZY(g_file_enumerator_next_files_async)
#define g_file_enumerator_next_files_finish DM_GIO_LAZY(g_file_enumerator_next_files_finish)
#define g_file_get_basename DM_GIO_LAZY(g_file_get_basename)
#define g_file_get_child DM_GIO_LAZY(g_file_get_child)
#define g_file_get_path DM_GIO_LAZY(g_file_get_path)
#define g_file_get_type DM_GIO_LAZY(g_file_get_type)
#define g_file_info_get_attribute_boolean DM_GIO_LAZY(g_file_info_get_attribute_boolean)
#define g_file_info_get_attribute_uint32 DM_GIO_LAZY(g_file_info_get_attribute_uint32)
#define g_file_info_get_display_name DM_GIO_LAZY(g_file_info_get_display_name)
#define g_file_info_get_file_type DM_GIO_LAZY(g_file_info_get_file_type)
#define g_file_info_get_is_hidden DM_GIO_LAZY(g_file_info_get_is_hidden)
#define g_file_info_get_is_symlink DM_GIO_LAZY(g_file_info_get_is_symlink)
#define g_file_info_get_name DM_GIO_LAZY(g_file_info_get_name)
#define g_file_info_get_size DM_GIO_LAZY(g_file_info_get_size)
#define g_file_info_get_type DM_GIO_LAZY(g_file_info_get_type)
#define g_file_info_has_attribute DM_GIO_LAZY(g_file_info_has_attribute)
#define g_file_make_directory DM_GIO_LAZY(g_file_make_directory)
#define g_file_measure_disk_usage DM_GIO_LAZY(g_file_measure_disk_usage)
#define g_file_monitor_cancel DM_GIO_LAZY(g_file_monitor_cancel)
#define g_file_monitor_directory DM_GIO_LAZY(g_file_monitor_directory)
#define g_file_move DM_GIO_LAZY(g_file_move)
#define g_file_new_for_path DM_GIO_LAZY(g_file_new_for_path)
#define g_file_new_for_uri DM_GIO_LAZY(g_file_new_for_uri)
#define g_file_peek_path DM_GIO_LAZY(g_file_peek_path)
#define g_file_query_file_type DM_GIO_LAZY(g_file_query_file_type)
#define g_file_query_info DM_GIO_LAZY(g_file_query_info)
#define g_file_query_info_async DM_GIO_LAZY(g_file_query_info_async)
#define g_file_query_info_finish DM_GIO_LAZY(g_file_query_info_finish)
#define g_file_set_display_name_async DM_GIO_LAZY(g_file_set_display_name_async)
#define g_file_set_display_name_finish DM_GIO_LAZY(g_file_set_display_name_finish)
#define g_file_trash_async DM_GIO_LAZY(g_file_trash_async)
#define g_file_trash_finish DM_GIO_LAZY(g_file_trash_finish)
#define g_io_error_quark DM_GIO_LAZY(g_io_error_quark)
#define g_mount_get_icon DM_GIO_LAZY(g_mount_get_icon)
#define g_mount_get_name DM_GIO_LAZY(g_mount_get_name)
#define g_mount_get_root DM_GIO_LAZY(g_mount_get_root)
#define g_mount_get_type DM_GIO_LAZY(g_mount_get_type)
#define g_mount_is_shadowed DM_GIO_LAZY(g_mount_is_shadowed)
#define g_object_unref DM_GIO_LAZY(g_object_unref)
#define g_signal_connect_data DM_GIO_LAZY(g_signal_connect_data)
#define g_signal_handlers_disconnect_matched DM_GIO_LAZY(g_signal_handlers_disconnect_matched)
#define g_themed_icon_get_names DM_GIO_LAZY(g_themed_icon_get_names)
#define g_themed_icon_get_type DM_GIO_LAZY(g_themed_icon_get_type)
#define g_type_check_instance_cast DM_GIO_LAZY(g_type_check_instance_cast)
#define g_type_check_instance_is_a DM_GIO_LAZY(g_type_check_instance_is_a)
#define g_unix_mount_at DM_GIO_LAZY(g_unix_mount_at)
#define g_unix_mount_free DM_GIO_LAZY(g_unix_mount_free)
#define g_unix_mount_get_fs_type DM_GIO_LAZY(g_unix_mount_get_fs_type)
#define g_unix_mount_is_system_internal DM_GIO_LAZY(g_unix_mount_is_system_internal)
#define g_volume_monitor_get DM_GIO_LAZY(g_volume_monitor_get)
#define g_volume_monitor_get_mounts DM_GIO_LAZY(g_volume_monitor_get_mounts)
