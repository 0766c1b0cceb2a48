# Where an installation's files end up, worked out from the prefix at install time
# (cmake --install --prefix, or the package's /usr), so that the units and the manual pages name
# the paths that are really there. Used at configure time too, with the configured prefix, for
# the pages that the build tree lints.
#
# systemd reads user units from /usr/lib/systemd/user, /usr/local/lib/systemd/user and, for
# each user, ~/.local/share/systemd/user ($XDG_DATA_HOME/systemd/user): a prefix other than
# /usr and /usr/local takes the XDG layout, share/systemd/user.
function(monitors_install_paths prefix bindir sbindir)
  string(REGEX REPLACE "/+$" "" prefix "${prefix}")
  if(prefix STREQUAL "/usr" OR prefix STREQUAL "/usr/local")
    set(user_units lib/systemd/user)
  else()
    set(user_units share/systemd/user)
  endif()
  set(MONITORS_USER_UNIT_DIR ${user_units} PARENT_SCOPE)
  set(QD4682SIM_PATH ${prefix}/${bindir}/qd4682sim PARENT_SCOPE)
  set(RINGAGENT_PATH ${prefix}/${sbindir}/ringagent PARENT_SCOPE)
  set(QD4682SIM_UNIT_PATH ${prefix}/${user_units}/qd4682sim.service PARENT_SCOPE)
  set(QD4682SIM_SYSTEM_UNIT_PATH ${prefix}/lib/systemd/system/qd4682sim.service PARENT_SCOPE)
  set(RINGAGENT_UNIT_PATH ${prefix}/lib/systemd/system/ringagent.service PARENT_SCOPE)
  set(RINGAGENT_EXAMPLES_DIR ${prefix}/share/doc/fddi-monitors/examples PARENT_SCOPE)
endfunction()
